// What reading the process tree shares: what its failures mean, and the walk of a folder.
#pragma once

#include <dirent.h>

#include "platform/linux/win32_subset.h"

// The system's answer when a process is no longer there to be asked.
inline constexpr DWORD PROCESS_ENDED = ERROR_INVALID_PARAMETER;

// "No such process": the process or thread ended while it was being read.
bool HasEnded(int error);

// Sets the last error for a process's file that could not be read, PROCESS_ENDED when the
// process or thread has ended; false, to be returned.
bool FailReadingProcess(int error);

// The next entry of folder, or null at its end or, with errno set, on failure.
const dirent* NextEntry(DIR* folder);
