#include "platform/linux/mapped_files.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>

#include <cerrno>
#include <charconv>

#include "platform/linux/errors.h"
#include "platform/linux/proc_root.h"

namespace {

// A mapping's map_files entry: its range as the maps file shows it.
std::string MappingEntryName(const ModuleFile& file) {
  char name[2 * 16 + 2];
  char* end = std::to_chars(name, name + 16, file.firstStart, 16).ptr;
  *end++ = '-';
  end = std::to_chars(end, end + 16, file.firstEnd, 16).ptr;
  return std::string(name, end);
}

// A folder of the tree opened as the base of later lookups: false, with errno set, when it
// cannot be.
bool OpenFolder(Descriptor& held, const std::string& folder) {
  held.Reset(::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  return held.IsOpen();
}

}  // namespace

std::string MappedFiles::Folder() const {
  std::string folder = std::string(ProcRoot()) + "/" + std::to_string(processId_);
  if (threadId_ != 0) folder += "/task/" + std::to_string(threadId_);
  return folder;
}

// The map_files entry needs CAP_SYS_ADMIN (or CAP_CHECKPOINT_RESTORE), and it is only in the
// process's own folder, while its main thread lives (a thread's folder has none). Once refused,
// it is not asked again. An O_PATH descriptor, which runs no device's open.
Descriptor MappedFiles::OpenMapping(const ModuleFile& file) {
  if (threadId_ != 0 || mapFilesRefused_) return Descriptor();
  Descriptor fd;
  if (mapFiles_.IsOpen() || OpenFolder(mapFiles_, Folder() + "/map_files"))
    fd.Reset(::openat(mapFiles_.Get(), MappingEntryName(file).c_str(), O_PATH | O_CLOEXEC));
  mapFilesRefused_ = !mapFiles_.IsOpen() || (!fd.IsOpen() && (errno == EPERM || errno == EACCES));
  return fd;
}

// What path names in the process's own root, so in its own mount namespace, following no
// symbolic link: an O_PATH descriptor, or none with errno set.
Descriptor MappedFiles::LookUp(const std::string& path) {
  if (!root_.IsOpen() && !OpenFolder(root_, Folder() + "/root")) return Descriptor();
  open_how how{};
  how.flags = O_PATH | O_CLOEXEC;
  how.resolve = RESOLVE_IN_ROOT | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
  return Descriptor(
      static_cast<int>(::syscall(SYS_openat2, root_.Get(), path.c_str(), &how, sizeof how)));
}

// What the file's name leads to must be the mapped inode on the mapped device. A name cut
// short names no file; one that ends in the deleted mark is that of a file deleted since, or a
// name that merely ends so.
void MappedFiles::ReachByName(const ModuleFile& file, ReachedFile& reached) {
  if (file.cut) {
    reached.error = ERROR_FILENAME_EXCED_RANGE;
    return;
  }
  reached.fd = LookUp(file.name);
  if (!reached.fd.IsOpen() && errno == ENOENT && file.name.ends_with(DELETED_MARK)) {
    reached.fd = LookUp(file.name.substr(0, file.name.size() - DELETED_MARK.size()));
    reached.deleted = true;
  }
  if (!reached.fd.IsOpen()) {
    reached.error = Win32ErrorFromErrno(errno);
  } else if (::fstat(reached.fd.Get(), &reached.status) != 0 ||
             reached.status.st_ino != file.file.inode ||
             reached.status.st_dev != makedev(file.file.major, file.file.minor)) {
    reached.error = ERROR_FILE_INVALID;
  }
}

// Through map_files the inode alone is compared: btrfs gives stat another device number than
// the one maps shows, and the kernel has already named the mapped file.
ReachedFile MappedFiles::Reach(const ModuleFile& file) {
  ReachedFile reached;
  reached.fd = OpenMapping(file);
  if (!reached.fd.IsOpen()) {
    ReachByName(file, reached);
  } else if (::fstat(reached.fd.Get(), &reached.status) != 0 ||
             reached.status.st_ino != file.file.inode) {
    reached.error = ERROR_FILE_INVALID;
  } else {
    reached.deleted = reached.status.st_nlink == 0;
  }
  // A file out of reach is shown as deleted when its name says so: its path leads elsewhere.
  if (reached.error != ERROR_SUCCESS) {
    reached.fd.Reset();
    reached.deleted = file.name.ends_with(DELETED_MARK);
  }
  return reached;
}

int MappedFiles::OpenForReading(const Descriptor& fd) {
  int opened = -1;
  if (ownFiles_.IsOpen() || OpenFolder(ownFiles_, "/proc/self/fd"))
    opened = ::openat(ownFiles_.Get(), std::to_string(fd.Get()).c_str(),
                      O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (opened < 0) SetLastError(Win32ErrorFromErrno(errno));
  return opened;
}
