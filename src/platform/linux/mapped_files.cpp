#include "platform/linux/mapped_files.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/linux/errors.h"
#include "platform/linux/proc_root.h"

namespace {

std::string Hex(std::uint64_t value) {
  char text[17];
  std::snprintf(text, sizeof text, "%llx", static_cast<unsigned long long>(value));
  return text;
}

// The process's map_files entry of the file's first mapping: a link the kernel resolves to the
// mapped file itself, whatever its path names now. It needs CAP_SYS_ADMIN (or
// CAP_CHECKPOINT_RESTORE), and it is only in the process's own folder, while its main thread
// lives (a thread's folder has none). An O_PATH descriptor, which runs no device's open.
int OpenMapping(const MappingOwner& owner, const ModuleFile& file) {
  const std::string entry =
      owner.Folder() + "/map_files/" + Hex(file.firstStart) + "-" + Hex(file.firstEnd);
  return ::open(entry.c_str(), O_PATH | O_CLOEXEC);
}

// What path names in the process's own root, so in its own mount namespace, following no
// symbolic link: an O_PATH descriptor.
int LookUpPath(const MappingOwner& owner, const std::string& path) {
  const int root = ::open((owner.Folder() + "/root").c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (root < 0) return -1;
  open_how how{};
  how.flags = O_PATH | O_CLOEXEC;
  how.resolve = RESOLVE_IN_ROOT | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
  const int fd = static_cast<int>(::syscall(SYS_openat2, root, path.c_str(), &how, sizeof how));
  const int error = errno;
  ::close(root);
  errno = error;
  return fd;
}

// An O_PATH descriptor of the mapped file, with its status, or -1 with the last error set.
// Through map_files the inode alone is compared: btrfs gives stat another device number than
// the one maps shows, and the kernel has already named the mapped file. What a path names
// must be on the same device too.
int ReachMappedFile(const MappingOwner& owner, const ModuleFile& file, const std::string& path,
                    struct stat& status) {
  bool byPath = false;
  int fd = OpenMapping(owner, file);
  if (fd < 0) {
    fd = LookUpPath(owner, path);
    byPath = true;
  }
  if (fd < 0) {
    SetLastError(Win32ErrorFromErrno(errno));
    return -1;
  }
  const bool same = ::fstat(fd, &status) == 0 && status.st_ino == file.file.inode &&
                    (!byPath || status.st_dev == makedev(file.file.major, file.file.minor));
  if (!same) {
    ::close(fd);
    SetLastError(ERROR_FILE_INVALID);
    return -1;
  }
  return fd;
}

}  // namespace

std::string MappingOwner::Folder() const {
  std::string folder = std::string(ProcRoot()) + "/" + std::to_string(processId);
  if (threadId != 0) folder += "/task/" + std::to_string(threadId);
  return folder;
}

bool StatMappedFile(const MappingOwner& owner, const ModuleFile& file, const std::string& path,
                    struct stat& status) {
  const int fd = ReachMappedFile(owner, file, path, status);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

int OpenMappedFile(const MappingOwner& owner, const ModuleFile& file, const std::string& path) {
  struct stat status {};
  const int found = ReachMappedFile(owner, file, path, status);
  if (found < 0) return -1;
  int fd = -1;
  if (!S_ISREG(status.st_mode)) {
    SetLastError(ERROR_FILE_INVALID);
  } else {
    // Opened again through the descriptor: the same inode, now for reading.
    fd = ::open(("/proc/self/fd/" + std::to_string(found)).c_str(),
                O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) SetLastError(Win32ErrorFromErrno(errno));
  }
  ::close(found);
  return fd;
}
