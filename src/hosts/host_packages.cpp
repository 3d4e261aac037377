#include "hosts/host_packages.h"

#include <string>

#include "com/com_error.h"
#include "com/com_ptr.h"
#include "com/com_text.h"
#include "com/delivered.h"
#include "platform/package_tracker.h"
#include "report/not_checked.h"
#include "report/report.h"
#include "report/report_texts.h"

namespace {

constexpr DWORD TRACKER_CONTEXT =
    CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER;

// Reads one item of the list and prints its package name when it runs in processId.
bool PrintPackageIfHosted(IUnknown* item, DWORD processId) {
  ComPtr<RunningPackage> package;
  if (FAILED(item->QueryInterface(IID_RunningPackage, package.PutVoid())) || !package) return false;
  BSTR delivered = nullptr;
  DWORD hostId = 0;
  package->GetName(&delivered);
  package->GetProcessId(&hostId);
  const ComText name(delivered);  // its owner from here on, whatever happens
  // A process id that is not delivered stays 0, which no host has.
  if (hostId != processId) return false;
  Report << name.Narrow() << endl;
  return true;
}

}  // namespace

bool PrintHostPackages(DWORD processId, const char* exeName, HostKind kind) {
  ComPtr<IPackageTracker> tracker;
  CoCreateInstance(CLSID_PackageTracker, nullptr, TRACKER_CONTEXT, IID_IPackageTracker,
                   tracker.PutVoid());
  if (!tracker) return false;
  const std::string host = std::string(exeName) + " (PID:" + std::to_string(processId) + ")";
  tracker->Refresh();
  LONG count = NO_COUNT;
  HRESULT counted = tracker->GetCount(&count);
  counted = CountDelivered(counted, count);
  if (FAILED(counted)) {
    // Whether any package runs there is not known: no label stands for one.
    ReportNotChecked("the packages of " + host, ComFailure(counted));
    return true;
  }
  bool printed = false;
  for (LONG index = 0; index < count; ++index) {
    ComPtr<IUnknown> item;
    tracker->GetItem(index, item.Put());
    if (!item) continue;
    try {
      if (PrintPackageIfHosted(item.Get(), processId)) printed = true;
    } catch (const _com_error& failure) {
      ReportNotChecked("the name of a package of " + host, ComFailure(failure.Error()));
      printed = true;
    }
  }
  tracker.Reset();
  // The web server is labelled so when the tracker names nothing for it, whether it lists
  // packages of other processes or none at all.
  if (printed || kind != HostKind::WebServer) return printed;
  Report << WEB_SERVER_PACKAGE << endl;
  return true;
}
