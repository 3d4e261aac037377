// A default-mode host scan over one sample host holding 500 sample DLLs mapped, against the
// same 500 files handed to the DLL check one after another: the difference is what the walk
// over processes and modules costs. The report goes to a sink that drops it.
#include <benchmark/benchmark.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
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

// 500 sample files of every kind in turn, and a sample host (built next to this program's
// folder) that holds them all mapped until the benchmark ends.
class MappedSamples : public SampleFiles {
 public:
  MappedSamples() : SampleFiles("host-bench") {
    const SampleKind kinds[] = {SampleKind::Fine, SampleKind::Recompile, SampleKind::Version5,
                                SampleKind::NoHeader};
    for (int i = 0; i < MAPPED_FILES; ++i) Add(MakeSampleDll(kinds[i % 4]));
    StartHost();
  }
  MappedSamples(const MappedSamples&) = delete;
  MappedSamples& operator=(const MappedSamples&) = delete;
  ~MappedSamples() {
    if (host_ > 0) {
      ::kill(host_, SIGKILL);
      ::waitpid(host_, nullptr, 0);
    }
  }

  bool HostReady() const { return ready_; }

 private:
  void StartHost() {
    const std::string program =
        (fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "tools" / "sample_host")
            .string();
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (std::string& path : MutablePaths()) argv.push_back(path.data());
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

  pid_t host_ = 0;
  bool ready_ = false;
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

void BM_DefaultModeHostScan(benchmark::State& state) {
  MappedSamples samples;
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
  state.SetItemsProcessed(state.iterations() * MAPPED_FILES);
  state.counters["hosts"] =
      benchmark::Counter(static_cast<double>(hosts), benchmark::Counter::kAvgIterations);
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
BENCHMARK(BM_SameFilesCheckedOneByOne)->Unit(benchmark::kMillisecond)->UseRealTime();
