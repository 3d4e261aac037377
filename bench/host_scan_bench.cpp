// The default mode's host scan over sample hosts that hold sample DLLs mapped:
//  - one host of 500 files, its CPU time against that of the same 500 files handed to the DLL
//    check one by one in the same iterations (cpu_vs_one_by_one): the difference is what the
//    walk over processes and modules costs;
//  - one host of 4,000 files whose paths are some 60 KB long, in a deep tree: the scan's
//    memory must not grow with the length of paths;
//  - one host that maps a file 60,000 times, within the system's default limit of 65,530
//    mappings: a maps file of some 240 MB, which the scan reads without holding it.
// Each shows the process's peak memory while it ran, and the opens and stats one walk over
// its host's modules makes per module. The report goes to a sink that drops it.
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <fcntl.h>
#include <malloc.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "call_counts.h"
#include "hosts/host_scan.h"
#include "hosts/module_walk.h"
#include "inspect/dll_check.h"
#include "platform/win32.h"
#include "report/report.h"
#include "sample_dll.h"
#include "sample_files.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int MAPPED_FILES = 500;
constexpr int DEEP_FILES = 4000;
constexpr int DEEP_LEVELS = 235;  // of 255-byte names: paths of some 60 KB
constexpr int MAPPINGS = 60000;

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
  DWORD Id() const { return static_cast<DWORD>(host_); }

 private:
  pid_t host_ = 0;
  bool ready_ = false;
};

// Sample files, and a host that holds them mapped.
class HostedSamples : public SampleFiles {
 public:
  using SampleFiles::SampleFiles;

  const SampleHost& Host() const { return *host_; }

 protected:
  std::unique_ptr<SampleHost> host_;
};

// A sample of each kind in turn.
std::string Sample(int i) {
  const SampleKind kinds[] = {SampleKind::Fine, SampleKind::Recompile, SampleKind::Version5,
                              SampleKind::NoHeader};
  return MakeSampleDll(kinds[i % 4]);
}

// 500 sample files of every kind in turn.
class MappedSamples : public HostedSamples {
 public:
  MappedSamples() : HostedSamples("host-bench") {
    for (int i = 0; i < MAPPED_FILES; ++i) Add(Sample(i));
    host_ = std::make_unique<SampleHost>(Paths());
  }
};

// Removes the folder name in parent and all it holds, a level at a time: the tree is far
// deeper than a path can reach at once.
void RemoveTree(int parent, const char* name) {
  const int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  DIR* folder = fd < 0 ? nullptr : ::fdopendir(fd);
  for (const dirent* entry; folder != nullptr && (entry = ::readdir(folder)) != nullptr;) {
    const std::string_view child = entry->d_name;
    if (child == "." || child == "..") continue;
    if (entry->d_type == DT_DIR)
      RemoveTree(::dirfd(folder), entry->d_name);
    else
      ::unlinkat(::dirfd(folder), entry->d_name, 0);
  }
  if (folder != nullptr) ::closedir(folder);
  ::unlinkat(parent, name, AT_REMOVEDIR);
}

// 4,000 sample files at the bottom of a tree DEEP_LEVELS folders deep, made a step at a time;
// of each, the first bytes alone, which hold all that the check judges.
class DeepSamples : public HostedSamples {
 public:
  DeepSamples() : HostedSamples("host-bench-deep") {
    const std::string level(255, 'd');
    int folder = ::open(Folder().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    for (int i = 0; i < DEEP_LEVELS && folder >= 0; ++i) {
      ::mkdirat(folder, level.c_str(), 0755);
      const int below = ::openat(folder, level.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
      ::close(folder);
      folder = below;
    }
    std::vector<std::string> steps = {
        "--enter", "1", Folder().string(), "--enter", std::to_string(DEEP_LEVELS), level};
    for (int i = 0; i < DEEP_FILES && folder >= 0; ++i) {
      const std::string name = std::to_string(i) + ".dll", bytes = Sample(i).substr(0, 8192);
      const int file = ::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
      if (file >= 0 && ::write(file, bytes.data(), bytes.size()) > 0) steps.push_back(name);
      if (file >= 0) ::close(file);
    }
    if (folder >= 0) ::close(folder);
    host_ = std::make_unique<SampleHost>(steps);
  }
  ~DeepSamples() {
    host_.reset();
    RemoveTree(AT_FDCWD, (Folder() / std::string(255, 'd')).c_str());
  }
};

// One sample file moved fifteen folders of 255-byte names down, its first page mapped
// MAPPINGS times.
class ManyMappings : public HostedSamples {
 public:
  ManyMappings() : HostedSamples("host-bench-maps") {
    Add(Sample(0));
    fs::path deep = Folder();
    for (int level = 0; level < 15; ++level)
      deep /= std::string(255, static_cast<char>('a' + level));
    fs::create_directories(deep);
    fs::rename(Paths()[0], deep / "m.dll");
    host_ = std::make_unique<SampleHost>(
        std::vector<std::string>{"--pages", std::to_string(MAPPINGS), (deep / "m.dll").string()});
  }
};

// Drops the report but counts its host headings.
bool CountHosts(const char* data, std::size_t size, void* hosts) {
  const std::string_view text(data, size);
  for (std::size_t at = text.find(" (PID:"); at != std::string_view::npos;
       at = text.find(" (PID:", at + 1))
    ++*static_cast<long*>(hosts);
  return true;
}

// The CPU time this thread has taken, in seconds.
double ThreadCpu() {
  timespec now{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The process's peak resident memory is measured from now on, from what it holds now: memory
// that an earlier benchmark freed is given back first.
void ResetPeakMemory() {
  ::malloc_trim(0);
  std::ofstream("/proc/self/clear_refs") << "5";
}

// The process's peak resident memory, in bytes.
double PeakMemory() {
  std::ifstream status("/proc/self/status");
  for (std::string word; status >> word;)
    if (word == "VmHWM:" && status >> word) return std::stod(word) * 1024;
  return 0;
}

// The opens and stats per module of one walk over the modules of host.
void CountModuleWalk(benchmark::State& state, const SampleHost& host) {
  Report.Redirect(DropReport, nullptr);
  StartCounting();
  ScanProcessModules(host.Id(), "dllhost.exe");
  const CallCounts counts = StopCounting();
  const double modules = static_cast<double>(std::max(counts.modules, 1L));
  state.counters["modules"] = static_cast<double>(counts.modules);
  state.counters["opens_per_module"] = static_cast<double>(counts.opens) / modules;
  state.counters["stats_per_module"] = static_cast<double>(counts.stats) / modules;
}

// The default mode's scan of the running hosts, while samples holds its host; with
// oneByOne, the same files are also checked one by one, outside the timing, and the ratio of
// the two CPU times is shown.
void BM_HostScan(benchmark::State& state, const HostedSamples& samples, bool oneByOne) {
  if (!samples.Host().Ready()) {
    state.SkipWithError("the sample host did not start");
    return;
  }
  CoInitialize(nullptr);
  if (!SetDebugPrivilege(true)) state.SkipWithError("the debug privilege is not held (root?)");
  long hosts = 0;
  double scanCpu = 0, checkCpu = 0;
  ResetPeakMemory();
  for (auto _ : state) {
    Report.Redirect(CountHosts, &hosts);
    const double start = ThreadCpu();
    ScanRunningHosts();
    scanCpu += ThreadCpu() - start;
    if (!oneByOne) continue;
    state.PauseTiming();
    Report.Redirect(DropReport, nullptr);
    const double checkStart = ThreadCpu();
    for (const std::string& path : samples.Paths()) CheckDllFile(path.c_str(), SINGLE_DLL_TAG);
    checkCpu += ThreadCpu() - checkStart;
    state.ResumeTiming();
  }
  state.counters["peak_memory"] = benchmark::Counter(PeakMemory(), benchmark::Counter::kDefaults,
                                                     benchmark::Counter::OneK::kIs1024);
  CountModuleWalk(state, samples.Host());
  Report.Redirect(DropReport, nullptr);
  CoUninitialize();
  state.counters["hosts"] =
      benchmark::Counter(static_cast<double>(hosts), benchmark::Counter::kAvgIterations);
  if (oneByOne) state.counters["cpu_vs_one_by_one"] = scanCpu / checkCpu;
}

void BM_DefaultModeHostScan(benchmark::State& state) {
  BM_HostScan(state, MappedSamples(), true);
}

void BM_HostWithLongPaths(benchmark::State& state) {
  BM_HostScan(state, DeepSamples(), false);
}

void BM_HostWithManyMappings(benchmark::State& state) {
  BM_HostScan(state, ManyMappings(), false);
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
BENCHMARK(BM_HostWithLongPaths)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HostWithManyMappings)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SameFilesCheckedOneByOne)->Unit(benchmark::kMillisecond)->UseRealTime();
