// The access token of this process, as far as the scan uses it: its one privilege, the debug
// privilege, is the capability to look into other processes (CAP_SYS_PTRACE). Enabling it
// raises the capability into the effective set, which only works when the permitted set holds
// it; disabling it lowers it again.
#include <strings.h>
#include <sys/capability.h>

#include "platform/linux/kernel_objects.h"

namespace {

// The identifier Windows gives the debug privilege.
constexpr LUID kDebugPrivilege = {20, 0};

struct TokenObject final : KernelObject {};

// Raises or lowers CAP_SYS_PTRACE in the effective set; false when it cannot be raised because
// the permitted set lacks it.
bool SetDebugCapability(bool enable) {
  cap_t caps = cap_get_proc();
  if (caps == nullptr) return false;
  cap_value_t ptrace = CAP_SYS_PTRACE;
  cap_flag_value_t permitted = CAP_CLEAR;
  const bool set =
      cap_get_flag(caps, ptrace, CAP_PERMITTED, &permitted) == 0 &&
      (!enable || permitted == CAP_SET) &&
      cap_set_flag(caps, CAP_EFFECTIVE, 1, &ptrace, enable ? CAP_SET : CAP_CLEAR) == 0 &&
      cap_set_proc(caps) == 0;
  cap_free(caps);
  return set;
}

}  // namespace

// The pseudo-handle of the current process, as on Windows: it needs no closing.
HANDLE WINAPI GetCurrentProcess() {
  return INVALID_HANDLE_VALUE;
}

// Only this process's own token can be opened.
BOOL WINAPI OpenProcessToken(HANDLE process, DWORD, PHANDLE token) {
  if (process != GetCurrentProcess()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  *token = HandleFromObject(new TokenObject);
  return TRUE;
}

// Of the local system's privileges only the debug privilege is known.
BOOL WINAPI LookupPrivilegeValueA(LPCSTR, LPCSTR name, PLUID luid) {
  if (::strcasecmp(name, "SeDebugPrivilege") != 0) {
    SetLastError(ERROR_NO_SUCH_PRIVILEGE);
    return FALSE;
  }
  *luid = kDebugPrivilege;
  return TRUE;
}

// As on Windows, the call succeeds for a token; the last error then tells whether the
// privilege was set as asked (ERROR_SUCCESS) or not (ERROR_NOT_ALL_ASSIGNED).
BOOL WINAPI AdjustTokenPrivileges(HANDLE token, BOOL, PTOKEN_PRIVILEGES newState, DWORD,
                                  PTOKEN_PRIVILEGES, PDWORD) {
  if (ObjectFromHandle<TokenObject>(token) == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  const LUID_AND_ATTRIBUTES& privilege = newState->Privileges[0];
  const bool assigned = privilege.Luid.LowPart == kDebugPrivilege.LowPart &&
                        privilege.Luid.HighPart == kDebugPrivilege.HighPart &&
                        SetDebugCapability((privilege.Attributes & SE_PRIVILEGE_ENABLED) != 0);
  SetLastError(assigned ? ERROR_SUCCESS : ERROR_NOT_ALL_ASSIGNED);
  return TRUE;
}
