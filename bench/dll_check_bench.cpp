// The DLL check against the bare cost of getting its bytes: open, read(64000), close of the
// same page-cached files, in the same run. The report goes to a sink that drops it.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "driver/report.h"
#include "inspect/dll_check.h"
#include "inspect/project_header.h"
#include "sample_dll.h"

namespace {

namespace fs = std::filesystem;

enum Layout { kAbsent, kEarly, kLate };

// 32 files of 70 KB each with the signature absent, early (0x1200) or late (63000).
class BenchFiles {
 public:
  explicit BenchFiles(Layout layout) {
    folder_ = fs::temp_directory_path() /
              ("quentix-bench-" + std::to_string(::getpid()) + "-" + std::to_string(layout));
    fs::create_directories(folder_);
    std::string bytes = MakeSampleDll(layout == kEarly ? SampleKind::Fine : SampleKind::NoHeader);
    if (layout == kLate) bytes.replace(63000, 61, MakeProjectHeader(0x14));
    for (int i = 0; i < 32; ++i) {
      std::string name = std::to_string(i);
      name.append(".dll");
      paths_.push_back((folder_ / name).string());
      std::ofstream(paths_.back(), std::ios::binary) << bytes;
    }
  }
  ~BenchFiles() {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  const std::vector<std::string>& Paths() const { return paths_; }

 private:
  fs::path folder_;
  std::vector<std::string> paths_;
};

void DropReport(const char*, std::size_t, void*) {}

void BM_CheckDllFile(benchmark::State& state) {
  BenchFiles files(static_cast<Layout>(state.range(0)));
  Report.Redirect(DropReport, nullptr);
  for (auto _ : state)
    for (const std::string& path : files.Paths()) CheckDllFile(path.c_str(), SINGLE_DLL_TAG);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(files.Paths().size()));
}

void BM_RawOpenReadClose(benchmark::State& state) {
  BenchFiles files(static_cast<Layout>(state.range(0)));
  static unsigned char buffer[SCAN_LIMIT];
  for (auto _ : state) {
    for (const std::string& path : files.Paths()) {
      int fd = ::open(path.c_str(), O_RDONLY);
      benchmark::DoNotOptimize(::read(fd, buffer, sizeof buffer));
      ::close(fd);
    }
  }
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
