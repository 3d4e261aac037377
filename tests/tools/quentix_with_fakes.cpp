// Test harness, not a product: quentix with fakes of the COM+ catalog and of the package
// tracker registered in its own process, so that the catalog walk and the naming of packages
// can be run end to end on systems that have no COM+. It registers the named catalog of
// tests/fakes/catalog_scenarios.cpp (none for "-") with its DLLs in FOLDER, and a tracker
// listing PACKAGES ("PID NAME" lines; none when empty), then runs exactly what quentix runs
// with the remaining arguments.
//
//   quentix_with_fakes CATALOG FOLDER PACKAGES [quentix arguments...]
//
// Exit status: that of quentix, or 99 when the fakes cannot be had.
#include <cstdio>
#include <string_view>
#include <vector>

#include "driver/run_modes.h"
#include "fakes/fake_catalog.h"
#include "fakes/fake_package_tracker.h"

namespace {

int Refuse(const char* why) {
  std::fprintf(stderr, "quentix_with_fakes: %s\n", why);
  return 99;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) return Refuse("usage: quentix_with_fakes CATALOG FOLDER PACKAGES [arguments...]");
  // Registration needs COM; quentix initialises it once more on its own.
  CoInitialize(nullptr);
  DWORD catalogCookie = 0;
  DWORD trackerCookie = 0;
  if (std::string_view(argv[1]) != "-") {
    std::optional<FakeCatalogData> data = CatalogScenario(argv[1], argv[2]);
    if (!data) return Refuse("no such catalog");
    if (FAILED(RegisterFakeCatalog(std::move(*data), &catalogCookie)))
      return Refuse("cannot register the catalog");
  }
  if (*argv[3] != '\0') {
    SetFakeTrackerSetup(TrackerSetupFromText(argv[3]));
    if (FAILED(RegisterFakeTracker(&trackerCookie))) return Refuse("cannot register the tracker");
  }
  std::vector<const char*> arguments{argv[0]};
  arguments.insert(arguments.end(), argv + 4, argv + argc);
  const int status = RunQuentix(static_cast<int>(arguments.size()), arguments.data());
  if (catalogCookie != 0) RevokeFakeCatalog(catalogCookie);
  if (trackerCookie != 0) RevokeFakeTracker(trackerCookie);
  CoUninitialize();
  return status;
}
