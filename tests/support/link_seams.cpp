#include "support/link_seams.h"

#include <optional>
#include <utility>
#include <vector>

namespace {

std::string& TreeRoot() {
  static std::string root;
  return root;
}

std::vector<Fault>& Faults() {
  static std::vector<Fault> faults;
  return faults;
}

long liveBstrs = 0;

// The result to return at once, with the last error already set, when a fault is due.
std::optional<BOOL> DueFault(FaultPoint point) {
  for (Fault& fault : Faults()) {
    if (fault.point != point || fault.times <= 0) continue;
    if (fault.skip > 0) {
      --fault.skip;
      return std::nullopt;
    }
    --fault.times;
    SetLastError(fault.lastError);
    return fault.result;
  }
  return std::nullopt;
}

}  // namespace

void SetProcRoot(std::string root) {
  TreeRoot() = std::move(root);
}

void InjectFault(const Fault& fault) {
  Faults().push_back(fault);
}

void ClearFaults() {
  Faults().clear();
}

long LiveBstrCount() {
  return liveBstrs;
}

// The substitutes the linker puts in place of the layer's own calls; __real_ reaches those.
extern "C" {
const char* __real_ProcRoot();
const char* __wrap_ProcRoot() {
  return TreeRoot().empty() ? __real_ProcRoot() : TreeRoot().c_str();
}

BSTR __real_SysAllocString(const OLECHAR* text);
BSTR __wrap_SysAllocString(const OLECHAR* text) {
  BSTR made = __real_SysAllocString(text);
  if (made != nullptr) ++liveBstrs;
  return made;
}
BSTR __real_SysAllocStringLen(const OLECHAR* text, UINT units);
BSTR __wrap_SysAllocStringLen(const OLECHAR* text, UINT units) {
  BSTR made = __real_SysAllocStringLen(text, units);
  if (made != nullptr) ++liveBstrs;
  return made;
}
void __real_SysFreeString(BSTR text);
void __wrap_SysFreeString(BSTR text) {
  if (text != nullptr) --liveBstrs;
  __real_SysFreeString(text);
}

HANDLE __real_CreateToolhelp32Snapshot(DWORD flags, DWORD processId);
HANDLE __wrap_CreateToolhelp32Snapshot(DWORD flags, DWORD processId) {
  if (std::optional<BOOL> fault = DueFault(FaultPoint::CreateToolhelp32Snapshot)) {
    if (!*fault) return INVALID_HANDLE_VALUE;
    const DWORD error = GetLastError();
    HANDLE empty = __real_CreateToolhelp32Snapshot(0, 0);  // a snapshot of nothing
    SetLastError(error);
    return empty;
  }
  return __real_CreateToolhelp32Snapshot(flags, processId);
}

#define QUENTIX_FAULT_POINT(name, parameters, arguments)                       \
  BOOL __real_##name parameters;                                               \
  BOOL __wrap_##name parameters {                                              \
    if (std::optional<BOOL> fault = DueFault(FaultPoint::name)) return *fault; \
    return __real_##name arguments;                                            \
  }
QUENTIX_FAULT_POINT(Process32First, (HANDLE s, LPPROCESSENTRY32 e), (s, e))
QUENTIX_FAULT_POINT(Process32Next, (HANDLE s, LPPROCESSENTRY32 e), (s, e))
QUENTIX_FAULT_POINT(Module32First, (HANDLE s, LPMODULEENTRY32 e), (s, e))
QUENTIX_FAULT_POINT(Module32Next, (HANDLE s, LPMODULEENTRY32 e), (s, e))
QUENTIX_FAULT_POINT(OpenProcessToken, (HANDLE p, DWORD a, PHANDLE t), (p, a, t))
QUENTIX_FAULT_POINT(LookupPrivilegeValueA, (LPCSTR s, LPCSTR n, PLUID l), (s, n, l))
QUENTIX_FAULT_POINT(AdjustTokenPrivileges,
                    (HANDLE t, BOOL d, PTOKEN_PRIVILEGES n, DWORD b, PTOKEN_PRIVILEGES p, PDWORD r),
                    (t, d, n, b, p, r))
#undef QUENTIX_FAULT_POINT
}
