#pragma once

#include "platform/win32.h"

// The two kinds of server host process.
enum class HostKind {
  WebServer,  // inetinfo.exe
  Surrogate,  // dllhost.exe
};

// Names the packages that run in the host process processId (exeName), one line each. The web
// server process is labelled "IIS In-Process Applications" when the tracker names none for it.
// A list that cannot be counted, or a name that cannot be made into text, is reported as not
// checked. True when a line was printed.
bool PrintHostPackages(DWORD processId, const char* exeName, HostKind kind);
