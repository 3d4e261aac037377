#pragma once

#include "platform/win32.h"

// Hands the file of every module loaded in process processId (named exeName) to the DLL
// check, in the order the system lists them. Prints nothing of its own, except that a module
// list that cannot be taken, or read to its end, is reported as not checked. A process seen to
// have ended meanwhile has no modules.
void ScanProcessModules(DWORD processId, const char* exeName);
