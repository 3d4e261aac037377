// quentix_with_fakes CATALOG FOLDER PACKAGES [quentix arguments...]: quentix run with fakes of
// the COM+ catalog and of the package tracker registered in its own process, for systems that
// have neither. CATALOG names a scenario of tests/fakes/catalog_scenarios.cpp ("-": none), its
// DLLs in FOLDER; PACKAGES lists the tracker's packages ("PID NAME" lines; none when empty).
// Exits with quentix's status, or 99 when the fakes cannot be had.
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
  if (argc < 4) return Refuse("usage: quentix_with_fakes CATALOG FOLDER PACKAGES ...");
  CoInitialize(nullptr);  // quentix initialises COM once more on its own
  DWORD catalogCookie = 0;
  DWORD trackerCookie = 0;
  std::optional<FakeCatalogData> data = CatalogScenario(argv[1], argv[2]);
  if (std::string_view(argv[1]) != "-" &&
      (!data ||
       FAILED(RegisterClassFactory(CLSID_COMAdminCatalog, NewFakeCatalogFactory(std::move(*data)),
                                   &catalogCookie))))
    return Refuse("cannot serve that catalog");
  SetFakeTrackerSetup(TrackerSetupFromText(argv[3]));
  if (*argv[3] != '\0' &&
      FAILED(RegisterClassFactory(CLSID_PackageTracker, NewFakeTrackerFactory(), &trackerCookie)))
    return Refuse("cannot register the tracker");
  std::vector<const char*> arguments{argv[0]};
  arguments.insert(arguments.end(), argv + 4, argv + argc);
  const int status = RunQuentix(static_cast<int>(arguments.size()), arguments.data());
  if (catalogCookie != 0) CoRevokeClassObject(catalogCookie);
  if (trackerCookie != 0) CoRevokeClassObject(trackerCookie);
  CoUninitialize();
  return status;
}
