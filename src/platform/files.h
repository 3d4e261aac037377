// Opening the files the check reads.
#pragma once

#include "platform/win32.h"

// Opens an existing file for reading only, byte for byte, sharing it with every other reader
// and writer: CreateFileA with those arguments. INVALID_HANDLE_VALUE, with the last error set,
// when it cannot be opened.
HANDLE OpenFileForReading(LPCSTR path);

// Opens, for reading, the file of a module that the module snapshot listed in entry: the file
// the process has loaded. On Windows that is the file at the entry's path; where a path can
// name another file by now, this system opens the loaded file itself, or fails.
HANDLE OpenModuleFile(HANDLE snapshot, const MODULEENTRY32& entry);
