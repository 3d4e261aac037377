#include "hosts/host_packages.h"

#include <string>

#include "com/com_error.h"
#include "com/com_text.h"
#include "driver/ascii_text.h"
#include "driver/report.h"
#include "hosts/package_tracker.h"

namespace {

constexpr DWORD TRACKER_CONTEXT =
    CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER;

bool IsWebServer(const char* exeName) {
  return EqualsIgnoringAsciiCase(exeName, "inetinfo.exe");
}

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
  RunningPackage* package = nullptr;
  if (FAILED(item->QueryInterface(IID_RunningPackage, reinterpret_cast<void**>(&package))) ||
      package == nullptr)
    return false;
  BSTR name = nullptr;
  DWORD hostId = 0;
  package->GetName(&name);
  package->GetProcessId(&hostId);
  const bool hosted = hostId != 0 && hostId == processId;
  if (hosted) Report << NarrowName(name) << endl;
  SysFreeString(name);
  package->Release();
  return hosted;
}

}  // namespace

bool PrintHostPackages(DWORD processId, const char* exeName) {
  bool printed = false;
  IPackageTracker* tracker = nullptr;
  CoCreateInstance(CLSID_PackageTracker, nullptr, TRACKER_CONTEXT, IID_IPackageTracker,
                   reinterpret_cast<void**>(&tracker));
  if (tracker == nullptr) return false;
  tracker->Refresh();
  LONG count = 0;
  tracker->GetCount(&count);
  if (count == 0 && IsWebServer(exeName)) {
    PrintWebServerLine();
    printed = true;
  }
  for (LONG index = 0; index < count; ++index) {
    IUnknown* item = nullptr;
    tracker->GetItem(index, &item);
    if (item == nullptr) continue;
    if (PrintPackageIfHosted(item, processId)) printed = true;
    item->Release();
  }
  tracker->Release();
  if (!printed && IsWebServer(exeName)) {
    PrintWebServerLine();
    printed = true;
  }
  return printed;
}
