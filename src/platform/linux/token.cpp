// The access token of this process, as far as the host scan uses it: it opens this process's
// token, looks up the debug privilege and enables it. That privilege is the capability to look
// into other processes (CAP_SYS_PTRACE); enabling it raises the capability into the effective
// set, which the kernel refuses when the permitted set lacks it.
#include <strings.h>
#include <sys/capability.h>

#include "platform/linux/kernel_objects.h"

namespace {

struct TokenObject final : KernelObject {};

// The one privilege of this system's tokens, under the name and the number Windows gives it.
constexpr char DEBUG_PRIVILEGE_NAME[] = "SeDebugPrivilege";
constexpr LUID DEBUG_PRIVILEGE = {20, 0};

// Privileges are looked up on this machine alone: named by no name, an empty one, or its own
// (with or without the two leading backslashes), in any letter case.
bool NamesThisMachine(LPCSTR systemName) {
  if (systemName == nullptr || *systemName == '\0') return true;
  if (systemName[0] == '\\' && systemName[1] == '\\') systemName += 2;
  char name[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = sizeof name;
  return GetComputerNameA(name, &size) && ::strcasecmp(systemName, name) == 0;
}

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

// As on Windows, privilege names are told apart without regard to letter case; a name this
// system does not have is ERROR_NO_SUCH_PRIVILEGE, another machine one that cannot be reached.
BOOL WINAPI LookupPrivilegeValueA(LPCSTR systemName, LPCSTR name, PLUID luid) {
  if (!NamesThisMachine(systemName)) {
    SetLastError(RPC_S_SERVER_UNAVAILABLE);
    return FALSE;
  }
  if (name == nullptr || ::strcasecmp(name, DEBUG_PRIVILEGE_NAME) != 0) {
    SetLastError(ERROR_NO_SUCH_PRIVILEGE);
    return FALSE;
  }
  *luid = DEBUG_PRIVILEGE;
  return TRUE;
}

// As on Windows, the call succeeds; the last error tells whether the privilege is now enabled
// (ERROR_SUCCESS) or not held (ERROR_NOT_ALL_ASSIGNED).
BOOL WINAPI AdjustTokenPrivileges(HANDLE, BOOL, PTOKEN_PRIVILEGES, DWORD, PTOKEN_PRIVILEGES,
                                  PDWORD) {
  SetLastError(RaiseDebugCapability() ? ERROR_SUCCESS : ERROR_NOT_ALL_ASSIGNED);
  return TRUE;
}
