// A default-mode host scan over one sample host holding 500 sample DLLs mapped, against the
// same 500 files handed to the DLL check one after another: the difference is what the walk
// over processes and modules costs. And a scan over one host with 65,000 mappings of a file
// whose path is near the longest a path can be: a maps file of some 250 MB, which the scan
// must read without holding it. The report goes to a sink that drops it.
#include <benchmark/benchmark.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "report/report.h"
#include "hosts/host_scan.h"
#include "inspect/dll_check.h"
#include "platform/win32.h"
#include "sample_dll.h"
#include "sample_files.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int MAPPED_FILES = 500;
constexpr int MAPPINGS = 65000;

// A sample host (built next to this program's folder) that takes the given steps and then
// waits until the benchmark ends.
class SampleHost {
 public:
  explicit SampleHost(std::vector<std::string> steps) {
    const std::string program =
        (fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "tools" / "sample_host")
            .string();
    steps.insert(steps.begin(), program);
    std::vector<char*> argv;
    for (std::string& step : steps) argv.push_back(step.data());
    argv.push_back(nullptr);
    int out[2];
    if (::pipe(out) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    if (::posix_spawn(&host_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0)
      host_ = 0;
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    char ready[6] = {};
    ready_ =
        host_ > 0 && ::read(out[0], ready, sizeof ready) == 6 && std::string(ready, 6) == "ready\n";
    ::close(out[0]);
  }
  SampleHost(const SampleHost&) = delete;
  SampleHost& operator=(const SampleHost&) = delete;
  ~SampleHost() {
    if (host_ > 0) {
      ::kill(host_, SIGKILL);
      ::waitpid(host_, nullptr, 0);
    }
  }

  bool Ready() const { return ready_; }

 private:
  pid_t host_ = 0;
  bool ready_ = false;
};

// 500 sample files of every kind in turn, and a host that holds them all mapped.
class MappedSamples : public SampleFiles {
 public:
  MappedSamples() : SampleFiles("host-bench") {
    const SampleKind kinds[] = {SampleKind::Fine, SampleKind::Recompile, SampleKind::Version5,
                                SampleKind::NoHeader};
    for (int i = 0; i < MAPPED_FILES; ++i) Add(MakeSampleDll(kinds[i % 4]));
    host_ = std::make_unique<SampleHost>(Paths());
  }

  bool HostReady() const { return host_->Ready(); }

 private:
  std::unique_ptr<SampleHost> host_;
};

// One sample file moved fifteen folders of 255-byte names down, and a host that maps its
// first page MAPPINGS times.
class ManyMappings : public SampleFiles {
 public:
  ManyMappings() : SampleFiles("host-bench-maps") {
    Add(MakeSampleDll(SampleKind::Fine));
    fs::path deep = fs::path(Paths()[0]).parent_path();
    for (int level = 0; level < 15; ++level)
      deep /= std::string(255, static_cast<char>('a' + level));
    fs::create_directories(deep);
    fs::rename(Paths()[0], deep / "m.dll");
    host_ = std::make_unique<SampleHost>(
        std::vector<std::string>{"--pages", std::to_string(MAPPINGS), (deep / "m.dll").string()});
  }

  bool HostReady() const { return host_->Ready(); }

 private:
  std::unique_ptr<SampleHost> host_;
};

// Drops the report but counts its host headings: other hosts running on the machine are
// scanned too, and the figure is only comparable when it is known how many there were.
bool CountHosts(const char* data, std::size_t size, void* hosts) {
  const std::string_view text(data, size);
  for (std::size_t at = text.find(" (PID:"); at != std::string_view::npos;
       at = text.find(" (PID:", at + 1))
    ++*static_cast<long*>(hosts);
  return true;
}

// The default mode's scan of the running hosts, while samples holds its host.
template <typename Samples>
void BM_HostScan(benchmark::State& state, const Samples& samples, int modules) {
  if (!samples.HostReady()) {
    state.SkipWithError("the sample host did not start");
    return;
  }
  CoInitialize(nullptr);
  if (!SetDebugPrivilege(true)) state.SkipWithError("the debug privilege is not held (root?)");
  long hosts = 0;
  Report.Redirect(CountHosts, &hosts);
  for (auto _ : state) ScanRunningHosts();
  Report.Redirect(DropReport, nullptr);
  CoUninitialize();
  state.SetItemsProcessed(state.iterations() * modules);
  state.counters["hosts"] =
      benchmark::Counter(static_cast<double>(hosts), benchmark::Counter::kAvgIterations);
}

void BM_DefaultModeHostScan(benchmark::State& state) {
  BM_HostScan(state, MappedSamples(), MAPPED_FILES);
}

void BM_HostWithManyMappings(benchmark::State& state) {
  BM_HostScan(state, ManyMappings(), MAPPINGS);
}

void BM_SameFilesCheckedOneByOne(benchmark::State& state) {
  MappedSamples samples;
  Report.Redirect(DropReport, nullptr);
  for (auto _ : state)
    for (const std::string& path : samples.Paths()) CheckDllFile(path.c_str(), SINGLE_DLL_TAG);
  state.SetItemsProcessed(state.iterations() * MAPPED_FILES);
}

}  // namespace

BENCHMARK(BM_DefaultModeHostScan)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HostWithManyMappings)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SameFilesCheckedOneByOne)->Unit(benchmark::kMillisecond)->UseRealTime();
