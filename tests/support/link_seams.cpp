#include "support/link_seams.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

namespace {

std::string treeRoot;
std::vector<Fault> faults;
long liveBstrs = 0;

// The class objects registered, each under its class; a cookie is a place in the list.
std::vector<std::pair<CLSID, IUnknown*>> classes;

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

// The class registration that the layer lacks, and the substitutes the linker puts in place of
// the layer's own calls; __real_ reaches those.
extern "C" {
HRESULT CoRegisterClassObject(REFCLSID clsid, LPUNKNOWN factory, DWORD, DWORD, LPDWORD cookie) {
  factory->AddRef();
  classes.emplace_back(clsid, factory);
  *cookie = static_cast<DWORD>(classes.size());
  return S_OK;
}

HRESULT CoRevokeClassObject(DWORD cookie) {
  std::exchange(classes.at(cookie - 1).second, nullptr)->Release();  // the fakes revoke each once
  return S_OK;
}

// The layer says whether COM can be asked at all; a class it does not know may be registered here.
HRESULT __real_CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID riid,
                                LPVOID* object);
HRESULT __wrap_CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID riid,
                                LPVOID* object) {
  const HRESULT hr = __real_CoCreateInstance(clsid, outer, context, riid, object);
  for (const auto& [registered, factory] : classes)  // the fakes register class factories alone
    if (hr == REGDB_E_CLASSNOTREG && factory != nullptr && registered == clsid)
      return static_cast<IClassFactory*>(factory)->CreateInstance(outer, riid, object);
  return hr;
}

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
  if (DueFault(FaultPoint::SysAllocStringLen)) return nullptr;
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
QUENTIX_FAULT_POINT(WideCharToMultiByte,
                    (UINT c, DWORD f, LPCWSTR w, int u, LPSTR t, int b, LPCSTR d, LPBOOL x),
                    (c, f, w, u, t, b, d, x))
#undef QUENTIX_FAULT_POINT
}
