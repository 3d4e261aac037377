#include "support/link_seams.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

namespace {

std::string treeRoot;
std::vector<Fault> faults;
long liveBstrs = 0;

// The result to return at once, with the last error already set, when a fault is due.
std::optional<BOOL> DueFault(FaultPoint point) {
  const auto fault = std::ranges::find_if(
      faults, [&](const Fault& each) { return each.point == point && each.times > 0; });
  if (fault == faults.end() || fault->skip-- > 0) return std::nullopt;
  --fault->times;
  SetLastError(fault->lastError);
  return fault->result;
}

BSTR Counted(BSTR made) {
  liveBstrs += made != nullptr;
  return made;
}

}  // namespace

void SetProcRoot(std::string root) {
  treeRoot = std::move(root);
}

void InjectFault(const Fault& fault) {
  faults.push_back(fault);
}

void ClearFaults() {
  faults.clear();
}

long LiveBstrCount() {
  return liveBstrs;
}

// The substitutes the linker puts in place of the layer's own calls; __real_ reaches those.
extern "C" {
const char* __real_ProcRoot();
const char* __wrap_ProcRoot() {
  return treeRoot.empty() ? __real_ProcRoot() : treeRoot.c_str();
}

BSTR __real_SysAllocString(const OLECHAR* text);
BSTR __wrap_SysAllocString(const OLECHAR* text) {
  return Counted(__real_SysAllocString(text));
}
BSTR __real_SysAllocStringLen(const OLECHAR* text, UINT units);
BSTR __wrap_SysAllocStringLen(const OLECHAR* text, UINT units) {
  return Counted(__real_SysAllocStringLen(text, units));
}
void __real_SysFreeString(BSTR text);
void __wrap_SysFreeString(BSTR text) {
  liveBstrs -= text != nullptr;
  __real_SysFreeString(text);
}

HANDLE __real_CreateToolhelp32Snapshot(DWORD flags, DWORD processId);
HANDLE __wrap_CreateToolhelp32Snapshot(DWORD flags, DWORD processId) {
  if (DueFault(FaultPoint::CreateToolhelp32Snapshot)) return INVALID_HANDLE_VALUE;
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
