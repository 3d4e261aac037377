// The DLL check against the bare cost of getting its bytes: open, read(64000), close of the
// same page-cached files, in the same run. The report goes to a sink that drops it.
#include <benchmark/benchmark.h>

#include <string>

#include "report/report.h"
#include "inspect/dll_check.h"
#include "inspect/project_header.h"
#include "sample_dll.h"
#include "sample_files.h"

namespace {

enum Layout { kAbsent, kEarly, kLate };

// 32 files of 70 KB each with the signature absent, early (0x1200) or late (63000).
class BenchFiles : public SampleFiles {
 public:
  explicit BenchFiles(Layout layout) : SampleFiles("bench-" + std::to_string(layout)) {
    std::string bytes = MakeSampleDll(layout == kEarly ? SampleKind::Fine : SampleKind::NoHeader);
    if (layout == kLate) bytes.replace(63000, 61, MakeProjectHeader(0x14));
    for (int i = 0; i < 32; ++i) Add(bytes);
  }
};

void BM_CheckDllFile(benchmark::State& state) {
  BenchFiles files(static_cast<Layout>(state.range(0)));
  Report.Redirect(DropReport, nullptr);
  for (auto _ : state)
    for (const std::string& path : files.Paths()) CheckDllFile(path.c_str(), SINGLE_DLL_TAG);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(files.Paths().size()));
}

void BM_RawOpenReadClose(benchmark::State& state) {
  BenchFiles files(static_cast<Layout>(state.range(0)));
  for (auto _ : state)
    for (const std::string& path : files.Paths()) OpenReadClose(path);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(files.Paths().size()));
}

void BM_ScanProjectHeader(benchmark::State& state) {
  std::string bytes = MakeSampleDll(SampleKind::NoHeader);
  bytes.resize(SCAN_LIMIT);
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  for (auto _ : state) benchmark::DoNotOptimize(ScanProjectHeader(data, bytes.size()));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}

BENCHMARK(BM_CheckDllFile)->Arg(kAbsent)->Arg(kEarly)->Arg(kLate);
BENCHMARK(BM_RawOpenReadClose)->Arg(kAbsent)->Arg(kEarly)->Arg(kLate);
BENCHMARK(BM_ScanProjectHeader);

}  // namespace
