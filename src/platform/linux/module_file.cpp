#include "platform/files.h"

HANDLE OpenModuleFile(HANDLE, const MODULEENTRY32& entry) {
  return OpenFileForReading(entry.szExePath);
}
