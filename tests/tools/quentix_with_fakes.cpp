// Test harness, not a product: quentix with a fake COM+ catalog registered in its own process,
// so that the catalog walk can be run end to end on systems that have no COM+. It loads the
// catalog from a data file (the text form of tests/fakes/fake_catalog.h), registers it, and
// then runs exactly what quentix runs with the remaining arguments.
//
//   quentix_with_fakes <catalog data file> [quentix arguments...]
//
// Exit status: that of quentix, or 2 when the data file cannot be read or registered.
#include <cstdio>
#include <string>
#include <vector>

#include "driver/run_modes.h"
#include "fakes/fake_catalog.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: quentix_with_fakes <catalog data file> [quentix arguments...]\n");
    return 2;
  }
  FakeCatalogData data;
  std::string error;
  if (!LoadFakeCatalogFile(argv[1], &data, &error)) {
    std::fprintf(stderr, "quentix_with_fakes: %s\n", error.c_str());
    return 2;
  }
  // Registration needs COM; quentix initialises it once more on its own.
  CoInitialize(nullptr);
  DWORD cookie = 0;
  if (FAILED(RegisterFakeCatalog(std::move(data), &cookie))) {
    std::fprintf(stderr, "quentix_with_fakes: cannot register the catalog\n");
    return 2;
  }
  std::vector<const char*> arguments{argv[0]};
  arguments.insert(arguments.end(), argv + 2, argv + argc);
  const int status = RunQuentix(static_cast<int>(arguments.size()), arguments.data());
  RevokeFakeCatalog(cookie);
  CoUninitialize();
  return status;
}
