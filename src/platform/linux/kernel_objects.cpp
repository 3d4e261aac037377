#include "platform/linux/kernel_objects.h"

namespace {
thread_local DWORD lastError = ERROR_SUCCESS;
}  // namespace

DWORD WINAPI GetLastError() {
  return lastError;
}

void WINAPI SetLastError(DWORD code) {
  lastError = code;
}

// Every handle the program closes is one it was given open.
BOOL WINAPI CloseHandle(HANDLE handle) {
  delete ObjectFromHandle<KernelObject>(handle);
  return TRUE;
}
