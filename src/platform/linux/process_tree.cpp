#include "platform/linux/process_tree.h"

#include <cerrno>

#include "platform/linux/errors.h"

bool HasEnded(int error) {
  return error == ENOENT || error == ESRCH;
}

bool FailReadingProcess(int error) {
  SetLastError(HasEnded(error) ? PROCESS_ENDED : Win32ErrorFromErrno(error));
  return false;
}

const dirent* NextEntry(DIR* folder) {
  errno = 0;
  return ::readdir(folder);
}
