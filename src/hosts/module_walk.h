#pragma once

#include "platform/win32.h"

// Hands the file of every module loaded in process processId to the DLL check, in the order
// the system lists them. Prints nothing of its own.
void ScanProcessModules(DWORD processId);
