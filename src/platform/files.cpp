#include "platform/files.h"

HANDLE OpenFileForReading(LPCSTR path) {
  return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

InputFile::Read InputFile::ReadUpTo(unsigned char* buffer, std::size_t capacity) {
  Read read;
  if (!IsDiskFile()) return read;
  while (read.size < capacity) {
    DWORD got = 0;
    if (!ReadFile(handle_, buffer + read.size, static_cast<DWORD>(capacity - read.size), &got,
                  nullptr)) {
      read.failed = true;
      read.error = GetLastError();
      break;
    }
    if (got == 0) break;
    read.size += got;
  }
  return read;
}

InputFile::Read InputFile::ReadAt(std::size_t offset, unsigned char* buffer, std::size_t capacity) {
  // Offsets here lie within the first bytes of a file, far below 2 GiB.
  if (SetFilePointer(handle_, static_cast<LONG>(offset), nullptr, FILE_BEGIN) ==
      INVALID_SET_FILE_POINTER) {
    Read read;
    read.failed = true;
    read.error = GetLastError();
    return read;
  }
  return ReadUpTo(buffer, capacity);
}
