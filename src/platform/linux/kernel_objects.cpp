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

BOOL WINAPI CloseHandle(HANDLE handle) {
  // The process pseudo-handle needs no closing; it equals INVALID_HANDLE_VALUE, as on Windows.
  KernelObject* object = ObjectFromHandle<KernelObject>(handle);
  if (object == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  delete object;
  return TRUE;
}
