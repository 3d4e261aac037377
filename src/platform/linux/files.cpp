#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/linux/errors.h"
#include "platform/linux/file_handle.h"
#include "platform/linux/kernel_objects.h"

namespace {

struct FileObject final : KernelObject {
  explicit FileObject(int descriptor, DWORD kind) : fd(descriptor), type(kind) {}
  ~FileObject() override { ::close(fd); }
  int fd;
  DWORD type;
};

DWORD FileTypeOfMode(mode_t mode) {
  if (S_ISREG(mode) || S_ISBLK(mode)) return FILE_TYPE_DISK;
  if (S_ISCHR(mode)) return FILE_TYPE_CHAR;
  if (S_ISFIFO(mode) || S_ISSOCK(mode)) return FILE_TYPE_PIPE;
  return FILE_TYPE_UNKNOWN;
}

}  // namespace

HANDLE FileHandleFromDescriptor(int fd) {
  struct stat status {};
  if (::fstat(fd, &status) != 0 || S_ISDIR(status.st_mode)) {
    ::close(fd);
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  return HandleFromObject(new FileObject(fd, FileTypeOfMode(status.st_mode)));
}

// Only what reading an existing file needs: read access, OPEN_EXISTING. The open never
// blocks (a FIFO without a writer opens at once) and never takes a controlling terminal.
HANDLE WINAPI CreateFileA(LPCSTR name, DWORD access, DWORD, LPSECURITY_ATTRIBUTES,
                          DWORD disposition, DWORD, HANDLE) {
  if (name == nullptr || access != GENERIC_READ || disposition != OPEN_EXISTING) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  // Windows names no file by the empty path, and says so in its own way.
  if (*name == '\0') {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  const int fd = ::open(name, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    SetLastError(Win32ErrorFromErrno(errno));
    return INVALID_HANDLE_VALUE;
  }
  return FileHandleFromDescriptor(fd);
}

DWORD WINAPI GetFileType(HANDLE file) {
  FileObject* object = ObjectFromHandle<FileObject>(file);
  if (object == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FILE_TYPE_UNKNOWN;
  }
  return object->type;
}

// A read that would block delivers nothing, like the end of the file.
BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED) {
  FileObject* object = ObjectFromHandle<FileObject>(file);
  if (read != nullptr) *read = 0;
  if (object == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  for (;;) {
    ssize_t got = ::read(object->fd, buffer, toRead);
    if (got >= 0) {
      if (read != nullptr) *read = static_cast<DWORD>(got);
      return TRUE;
    }
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return TRUE;
    SetLastError(errno == EISDIR ? ERROR_ACCESS_DENIED : ERROR_READ_FAULT);
    return FALSE;
  }
}
