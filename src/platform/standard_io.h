// Raw access to the standard handles, below any buffering of the C or C++ library, so that
// the bytes written are exactly the bytes given on every system.
#pragma once

#include <cstddef>

// Puts standard output into byte-exact mode where the system has a text mode, and makes a
// write that a closed pipe or a file-size limit refuses fail rather than end the process.
void PrepareStandardOutput();

// Write every byte, retrying short writes and waiting while a pipe is full. False, with the
// last error set, when a write fails.
bool WriteAllToStandardOutput(const char* data, std::size_t size);
bool WriteAllToStandardError(const char* data, std::size_t size);

// Ends the process with the given status: no destructor, no exit-time function, no flush.
[[noreturn]] void EndProcessAtOnce(int status);
