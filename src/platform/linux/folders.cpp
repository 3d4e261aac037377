// Folders: what a name is, and the names a folder holds, as far as Windows tells them.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/linux/errors.h"
#include "platform/linux/kernel_objects.h"

namespace {

struct FolderListing final : KernelObject {
  explicit FolderListing(DIR* opened) : folder(opened) {}
  ~FolderListing() override { ::closedir(folder); }
  DIR* folder;
};

DWORD AttributesOf(mode_t mode) {
  return S_ISDIR(mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
}

// The kind of entry the folder's own record gives, asked of the entry itself (never of what a
// link names) where the file system does not say.
DWORD AttributesOf(DIR* folder, const dirent& entry) {
  if (entry.d_type != DT_UNKNOWN)
    return entry.d_type == DT_DIR ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
  struct stat status {};
  if (::fstatat(::dirfd(folder), entry.d_name, &status, AT_SYMLINK_NOFOLLOW) != 0)
    return FILE_ATTRIBUTE_NORMAL;
  return AttributesOf(status.st_mode);
}

// Windows names a missing folder on the path "path not found", a missing last name "file not
// found".
DWORD FolderError(int error) {
  return error == ENOENT ? ERROR_PATH_NOT_FOUND : Win32ErrorFromErrno(error);
}

}  // namespace

DWORD WINAPI GetFileAttributesA(LPCSTR name) {
  struct stat status {};
  if (::stat(name, &status) != 0) {
    SetLastError(Win32ErrorFromErrno(errno));
    return INVALID_FILE_ATTRIBUTES;
  }
  return AttributesOf(status.st_mode);
}

HANDLE WINAPI FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA found) {
  std::string_view text = pattern;
  if (!text.ends_with("/*")) {
    SetLastError(ERROR_INVALID_NAME);
    return INVALID_HANDLE_VALUE;
  }
  text.remove_suffix(1);
  // The folder is opened as a folder or not at all: a device or FIFO of that name is never
  // opened.
  const std::string folder(text);
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY);
  DIR* listing = fd < 0 ? nullptr : ::fdopendir(fd);
  if (listing == nullptr) {
    const int error = errno;
    if (fd >= 0) ::close(fd);
    SetLastError(FolderError(error));
    return INVALID_HANDLE_VALUE;
  }
  HANDLE search = HandleFromObject(new FolderListing(listing));
  if (!FindNextFileA(search, found)) {
    const DWORD error = GetLastError();
    FindClose(search);
    SetLastError(error == ERROR_NO_MORE_FILES ? ERROR_FILE_NOT_FOUND : error);
    return INVALID_HANDLE_VALUE;
  }
  return search;
}

BOOL WINAPI FindNextFileA(HANDLE search, LPWIN32_FIND_DATAA found) {
  DIR* folder = ObjectFromHandle<FolderListing>(search)->folder;
  errno = 0;
  const dirent* entry = ::readdir(folder);
  if (entry == nullptr) {
    SetLastError(errno == 0 ? ERROR_NO_MORE_FILES : Win32ErrorFromErrno(errno));
    return FALSE;
  }
  *found = {};
  found->dwFileAttributes = AttributesOf(folder, *entry);
  // A name here has at most 255 bytes, which the record always holds.
  std::strncpy(found->cFileName, entry->d_name, sizeof found->cFileName - 1);
  return TRUE;
}

BOOL WINAPI FindClose(HANDLE search) {
  delete ObjectFromHandle<FolderListing>(search);
  return TRUE;
}
