#include "hosts/host_packages.h"

#include <string>

#include "com/com_error.h"
#include "com/com_ptr.h"
#include "com/com_text.h"
#include "hosts/package_tracker.h"
#include "report/report.h"

namespace {

constexpr DWORD TRACKER_CONTEXT =
    CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER;

void PrintWebServerLine() {
  Report << "IIS In-Process Applications" << endl;
}

// The narrow text of a package name, from a copy that the holder owns.
std::string NarrowName(BSTR name) {
  if (name == nullptr) return {};
  BSTR copy = SysAllocString(name);
  if (copy == nullptr) RaiseComError(E_OUTOFMEMORY);
  return ComText(copy).Narrow();
}

// Reads one item of the list and prints its package name when it runs in processId.
bool PrintPackageIfHosted(IUnknown* item, DWORD processId) {
  ComPtr<RunningPackage> package;
  if (FAILED(item->QueryInterface(IID_RunningPackage, package.PutVoid())) || !package) return false;
  BSTR name = nullptr;
  DWORD hostId = 0;
  package->GetName(&name);
  package->GetProcessId(&hostId);
  const bool hosted = hostId != 0 && hostId == processId;
  if (hosted) Report << NarrowName(name) << endl;
  SysFreeString(name);
  return hosted;
}

}  // namespace

bool PrintHostPackages(DWORD processId, HostKind kind) {
  bool printed = false;
  ComPtr<IPackageTracker> tracker;
  CoCreateInstance(CLSID_PackageTracker, nullptr, TRACKER_CONTEXT, IID_IPackageTracker,
                   tracker.PutVoid());
  if (!tracker) return false;
  tracker->Refresh();
  LONG count = 0;
  tracker->GetCount(&count);
  const bool webServer = kind == HostKind::WebServer;
  if (count == 0 && webServer) {
    PrintWebServerLine();
    printed = true;
  }
  for (LONG index = 0; index < count; ++index) {
    ComPtr<IUnknown> item;
    tracker->GetItem(index, item.Put());
    if (!item) continue;
    if (PrintPackageIfHosted(item.Get(), processId)) printed = true;
  }
  tracker.Reset();
  if (!printed && webServer) {
    PrintWebServerLine();
    printed = true;
  }
  return printed;
}
