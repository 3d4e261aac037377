#pragma once

#include "platform/win32.h"

// The machine the tool runs on, read once before main. Construction throws the bare text
// "SystemInfo: can't get machine name" when the name cannot be had; nothing catches it.
struct SystemInfo {
  SystemInfo();

  char MachineName[MAX_COMPUTERNAME_LENGTH + 1] = {};
};

extern const SystemInfo LocalSystem;
