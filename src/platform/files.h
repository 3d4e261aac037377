// Opening and reading the files the program reads: DLL files and reports.
#pragma once

#include <cstddef>

#include "platform/win32.h"

// What this system's paths put between a folder and a name in it, and what it also takes there.
#if defined(_WIN32)
inline constexpr char PATH_SEPARATOR = '\\';
inline bool IsPathSeparator(char c) {
  return c == '\\' || c == '/';
}
#else
inline constexpr char PATH_SEPARATOR = '/';
inline bool IsPathSeparator(char c) {
  return c == '/';
}
#endif

// Opens an existing file for reading only, byte for byte, sharing it with every other reader
// and writer: CreateFileA with those arguments. INVALID_HANDLE_VALUE, with the last error set,
// when it cannot be opened.
HANDLE OpenFileForReading(LPCSTR path);

// Opens, for reading, the file of a module that the module snapshot listed in entry: the file
// the process has loaded. On Windows that is the file at the entry's path; where a path can
// name another file by now, this system opens the loaded file itself, or fails.
HANDLE OpenModuleFile(HANDLE snapshot, const MODULEENTRY32& entry);

// The one owner of a file opened for reading.
class InputFile {
 public:
  explicit InputFile(HANDLE handle) : handle_(handle) {}
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;
  ~InputFile() {
    if (IsOpen()) CloseHandle(handle_);
  }

  bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
  // Only disk files are read: a pipe, console or device could keep a read waiting.
  bool IsDiskFile() const { return GetFileType(handle_) == FILE_TYPE_DISK; }

  struct Read {
    std::size_t size = 0;         // bytes delivered
    bool failed = false;          // a read failed before the buffer was full or the file ended
    DWORD error = ERROR_SUCCESS;  // what it failed with
  };

  // Fills buffer from where the last read ended (the start of the file at first) until it is
  // full, the file ends or a read fails. A file that is no disk file yields nothing.
  Read ReadUpTo(unsigned char* buffer, std::size_t capacity);

  // Moves to offset from the start of the file, then reads as ReadUpTo does.
  Read ReadAt(std::size_t offset, unsigned char* buffer, std::size_t capacity);

 private:
  HANDLE handle_;
};
