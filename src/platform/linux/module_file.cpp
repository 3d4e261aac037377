#include "platform/files.h"
#include "platform/linux/file_handle.h"
#include "platform/linux/toolhelp.h"

// The file the process has mapped, never what its path names now (see mapped_files.h).
HANDLE OpenModuleFile(HANDLE snapshot, const MODULEENTRY32&) {
  const SnapshotModule module = LastModuleWalked(snapshot);
  // The entry holds such a path cut short: what it shows is not the file's name.
  if (module.file->name.size() >= MAX_PATH) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return INVALID_HANDLE_VALUE;
  }
  const int fd = OpenMappedFile(module.owner, *module.file, module.file->name);
  return fd < 0 ? INVALID_HANDLE_VALUE : FileHandleFromDescriptor(fd);
}
