// Raw access to the standard handles, below any buffering of the C or C++ library, so that
// the bytes written are exactly the bytes given on every system.
#pragma once

#include <cstddef>
#include <string_view>

// How a line of text for people ends on this system: the report's lines end in CR LF
// everywhere, a summary of reports for a console or a script in the system's own way.
#if defined(_WIN32)
inline constexpr std::string_view SYSTEM_LINE_END = "\r\n";
#else
inline constexpr std::string_view SYSTEM_LINE_END = "\n";
#endif

// Puts standard output into byte-exact mode where the system has a text mode, and makes a
// write that a closed pipe or a file-size limit refuses fail rather than end the process.
void PrepareStandardOutput();

// Write every byte, retrying short writes and waiting while a pipe is full. False, with the
// last error set, when a write fails.
bool WriteAllToStandardOutput(const char* data, std::size_t size);
bool WriteAllToStandardError(const char* data, std::size_t size);

// Ends the process with the given status: no destructor, no exit-time function, no flush.
[[noreturn]] void EndProcessAtOnce(int status);
