// The access token of this process, as far as the host scan uses it: it opens this process's
// token, looks up the debug privilege and enables it. That privilege is the capability to look
// into other processes (CAP_SYS_PTRACE); enabling it raises the capability into the effective
// set, which the kernel refuses when the permitted set lacks it.
#include <sys/capability.h>

#include "platform/linux/kernel_objects.h"

namespace {

struct TokenObject final : KernelObject {};

bool RaiseDebugCapability() {
  cap_t caps = cap_get_proc();
  if (caps == nullptr) return false;
  const cap_value_t ptrace = CAP_SYS_PTRACE;
  const bool raised =
      cap_set_flag(caps, CAP_EFFECTIVE, 1, &ptrace, CAP_SET) == 0 && cap_set_proc(caps) == 0;
  cap_free(caps);
  return raised;
}

}  // namespace

// The pseudo-handle of the current process, as on Windows: it needs no closing.
HANDLE WINAPI GetCurrentProcess() {
  return INVALID_HANDLE_VALUE;
}

BOOL WINAPI OpenProcessToken(HANDLE, DWORD, PHANDLE token) {
  *token = HandleFromObject(new TokenObject);
  return TRUE;
}

// The token has the one privilege, which needs no identifier to be told from others.
BOOL WINAPI LookupPrivilegeValueA(LPCSTR, LPCSTR, PLUID) {
  return TRUE;
}

// As on Windows, the call succeeds; the last error tells whether the privilege is now enabled
// (ERROR_SUCCESS) or not held (ERROR_NOT_ALL_ASSIGNED).
BOOL WINAPI AdjustTokenPrivileges(HANDLE, BOOL, PTOKEN_PRIVILEGES, DWORD, PTOKEN_PRIVILEGES,
                                  PDWORD) {
  SetLastError(RaiseDebugCapability() ? ERROR_SUCCESS : ERROR_NOT_ALL_ASSIGNED);
  return TRUE;
}
