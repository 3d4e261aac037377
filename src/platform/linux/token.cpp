// The access token of this process. Its one privilege, the debug privilege, is the
// capability to look into other processes (CAP_SYS_PTRACE): enabling it raises the
// capability into the effective set, which only works when the permitted set holds it.
#include <strings.h>
#include <sys/capability.h>

#include "platform/linux/kernel_objects.h"

namespace {

// The identifier Windows gives the debug privilege.
constexpr LUID kDebugPrivilege = {20, 0};

struct TokenObject final : KernelObject {
  explicit TokenObject(DWORD rights) : access(rights) {}
  DWORD access;
};

bool IsDebugPrivilege(const LUID& luid) {
  return luid.LowPart == kDebugPrivilege.LowPart && luid.HighPart == kDebugPrivilege.HighPart;
}

// The owner of one capability state read from the kernel.
class Capabilities {
 public:
  Capabilities() : caps_(cap_get_proc()) {}
  Capabilities(const Capabilities&) = delete;
  Capabilities& operator=(const Capabilities&) = delete;
  ~Capabilities() {
    if (caps_ != nullptr) cap_free(caps_);
  }

  bool Read() const { return caps_ != nullptr; }
  bool Holds(cap_value_t capability, cap_flag_t set) const {
    cap_flag_value_t value = CAP_CLEAR;
    return cap_get_flag(caps_, capability, set, &value) == 0 && value == CAP_SET;
  }
  // Sets or clears the capability in the effective set of this process.
  bool SetEffective(cap_value_t capability, bool on) {
    return cap_set_flag(caps_, CAP_EFFECTIVE, 1, &capability, on ? CAP_SET : CAP_CLEAR) == 0 &&
           cap_set_proc(caps_) == 0;
  }

 private:
  cap_t caps_;
};

// Whether the debug privilege is enabled now (written to a previous-state record).
bool DebugPrivilegeEnabled() {
  Capabilities caps;
  return caps.Read() && caps.Holds(CAP_SYS_PTRACE, CAP_EFFECTIVE);
}

// Enables or disables the debug privilege; false when it cannot be enabled because the
// process does not hold it.
bool SetDebugCapability(bool enable) {
  Capabilities caps;
  if (!caps.Read()) return false;
  if (enable && !caps.Holds(CAP_SYS_PTRACE, CAP_PERMITTED)) return false;
  return caps.SetEffective(CAP_SYS_PTRACE, enable);
}

}  // namespace

// The pseudo-handle of the current process, as on Windows: it needs no closing.
HANDLE WINAPI GetCurrentProcess() {
  return INVALID_HANDLE_VALUE;
}

// Only this process's own token can be opened.
BOOL WINAPI OpenProcessToken(HANDLE process, DWORD access, PHANDLE token) {
  if (token == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *token = nullptr;
  if (process != GetCurrentProcess()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  *token = HandleFromObject(new TokenObject(access));
  return TRUE;
}

// The local system alone is known, and of its privileges only the debug privilege.
BOOL WINAPI LookupPrivilegeValueA(LPCSTR systemName, LPCSTR name, PLUID luid) {
  if (name == nullptr || luid == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (systemName != nullptr && *systemName != '\0') {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  if (::strcasecmp(name, SE_DEBUG_NAME) != 0) {
    SetLastError(ERROR_NO_SUCH_PRIVILEGE);
    return FALSE;
  }
  *luid = kDebugPrivilege;
  return TRUE;
}

// As on Windows, the call succeeds when the request is well formed; the last error then
// tells whether every privilege was set as asked (ERROR_SUCCESS) or not
// (ERROR_NOT_ALL_ASSIGNED). Privileges the token does not know are not assigned.
BOOL WINAPI AdjustTokenPrivileges(HANDLE token, BOOL disableAll, PTOKEN_PRIVILEGES newState,
                                  DWORD bufferLength, PTOKEN_PRIVILEGES previousState,
                                  PDWORD returnLength) {
  const TokenObject* object = ObjectFromHandle<TokenObject>(token);
  if (object == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if ((object->access & TOKEN_ADJUST_PRIVILEGES) == 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (!disableAll && newState == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (previousState != nullptr) {
    // Room for the one privilege this token has.
    const DWORD needed = sizeof(TOKEN_PRIVILEGES);
    if (returnLength != nullptr) *returnLength = needed;
    if (bufferLength < needed) {
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return FALSE;
    }
    previousState->PrivilegeCount = 1;
    previousState->Privileges[0] = {kDebugPrivilege,
                                    DebugPrivilegeEnabled() ? SE_PRIVILEGE_ENABLED : 0u};
  }
  bool allAssigned = true;
  if (disableAll) {
    allAssigned = SetDebugCapability(false);
  } else {
    for (DWORD i = 0; i < newState->PrivilegeCount; ++i) {
      const LUID_AND_ATTRIBUTES& privilege = newState->Privileges[i];
      allAssigned = IsDebugPrivilege(privilege.Luid) &&
                    SetDebugCapability((privilege.Attributes & SE_PRIVILEGE_ENABLED) != 0) &&
                    allAssigned;
    }
  }
  SetLastError(allAssigned ? ERROR_SUCCESS : ERROR_NOT_ALL_ASSIGNED);
  return TRUE;
}
