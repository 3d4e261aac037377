#include "platform/files.h"
#include "platform/linux/file_handle.h"
#include "platform/linux/toolhelp.h"

// The file the process has mapped, never what its path names now (see mapped_files.h).
HANDLE OpenModuleFile(HANDLE snapshot, const MODULEENTRY32& entry) {
  const int fd = ModuleListOf(snapshot).Open(entry);
  return fd < 0 ? INVALID_HANDLE_VALUE : DiskFileHandle(fd);
}
