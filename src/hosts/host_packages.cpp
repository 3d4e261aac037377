#include "hosts/host_packages.h"

#include <string>

#include "com/com_error.h"
#include "com/com_ptr.h"
#include "com/com_text.h"
#include "platform/package_tracker.h"
#include "report/report.h"

namespace {

constexpr DWORD TRACKER_CONTEXT =
    CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER;

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
  // A process id that is not delivered stays 0, which no host has.
  const bool hosted = hostId == processId;
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
  for (LONG index = 0; index < count; ++index) {
    ComPtr<IUnknown> item;
    tracker->GetItem(index, item.Put());
    if (!item) continue;
    if (PrintPackageIfHosted(item.Get(), processId)) printed = true;
  }
  tracker.Reset();
  // The web server is labelled so when the tracker names nothing for it, whether it lists
  // packages of other processes or none at all.
  if (printed || kind != HostKind::WebServer) return printed;
  Report << "IIS In-Process Applications" << endl;
  return true;
}
