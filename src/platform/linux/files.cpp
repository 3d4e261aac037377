#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/linux/errors.h"
#include "platform/linux/file_handle.h"
#include "platform/linux/kernel_objects.h"

namespace {

// An open file, and whether it is a disk file: the one thing the check asks of its type.
struct FileObject final : KernelObject {
  explicit FileObject(int descriptor, bool isDisk) : fd(descriptor), disk(isDisk) {}
  ~FileObject() override { ::close(fd); }
  int fd;
  bool disk;
};

// Opens for reading the file that the O_PATH descriptor found stands for, through the
// descriptor: the same inode, whatever its path names by now.
int ReopenForReading(int found) {
  return ::open(("/proc/self/fd/" + std::to_string(found)).c_str(), O_RDONLY | O_CLOEXEC);
}

}  // namespace

HANDLE FileHandleFromDescriptor(int fd) {
  struct stat status {};
  if (::fstat(fd, &status) != 0 || S_ISDIR(status.st_mode)) {
    ::close(fd);
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  return HandleFromObject(new FileObject(fd, S_ISREG(status.st_mode)));
}

HANDLE DiskFileHandle(int fd) {
  return HandleFromObject(new FileObject(fd, true));
}

// Opens an existing file for reading, as the check asks for it. Its type is learnt first,
// through a descriptor that opens nothing (O_PATH), and only a regular file is then opened for
// reading: no device's open routine runs, no FIFO's writer sees a reader, no open waits. Any
// other file gets a handle that is no disk file, which is never read.
HANDLE WINAPI CreateFileA(LPCSTR name, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE) {
  // Windows names no file by the empty path, and says so in its own way.
  if (*name == '\0') {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  const int found = ::open(name, O_PATH | O_CLOEXEC);
  if (found < 0) {
    SetLastError(Win32ErrorFromErrno(errno));
    return INVALID_HANDLE_VALUE;
  }
  struct stat status {};
  if (::fstat(found, &status) != 0 || !S_ISREG(status.st_mode))
    return FileHandleFromDescriptor(found);
  const int fd = ReopenForReading(found);
  const int error = errno;
  ::close(found);
  if (fd < 0) {
    SetLastError(Win32ErrorFromErrno(error));
    return INVALID_HANDLE_VALUE;
  }
  return DiskFileHandle(fd);  // the regular file found, opened once more
}

// A regular file is a disk file; a device, pipe or socket is not, and is never read.
DWORD WINAPI GetFileType(HANDLE file) {
  return ObjectFromHandle<FileObject>(file)->disk ? FILE_TYPE_DISK : FILE_TYPE_UNKNOWN;
}

// Only disk files are read, so a read never waits.
BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED) {
  const ssize_t got = ::read(ObjectFromHandle<FileObject>(file)->fd, buffer, toRead);
  if (got < 0) {
    SetLastError(Win32ErrorFromErrno(errno));
    return FALSE;
  }
  *read = static_cast<DWORD>(got);
  return TRUE;
}

DWORD WINAPI SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD moveMethod) {
  const off_t move = distanceHigh == nullptr
                         ? off_t{distance}
                         : (off_t{*distanceHigh} << 32) | static_cast<DWORD>(distance);
  const int whence = moveMethod == FILE_BEGIN     ? SEEK_SET
                     : moveMethod == FILE_CURRENT ? SEEK_CUR
                                                  : SEEK_END;
  const off_t at = ::lseek(ObjectFromHandle<FileObject>(file)->fd, move, whence);
  if (at < 0) {
    // A place before the start of the file is the one move a disk file refuses.
    SetLastError(errno == EINVAL ? ERROR_NEGATIVE_SEEK : Win32ErrorFromErrno(errno));
    return INVALID_SET_FILE_POINTER;
  }
  if (distanceHigh != nullptr) *distanceHigh = static_cast<LONG>(at >> 32);
  // A place whose low half is all ones reads as a failure but for the last error.
  if (static_cast<DWORD>(at) == INVALID_SET_FILE_POINTER) SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(at);
}
