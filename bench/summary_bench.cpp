// quentix-summary over a fleet, end to end: the built program lists a folder of reports, reads
// every one and writes its JSON Lines, CSV and page (to /dev/null), or no output but its
// standard output, into a file. 10,000 reports of 50 KB each, and the same bytes as 100 reports of
// 5 MB: the reader streams, so the program's peak memory (its largest resident set) does not grow
// with the size of a report. Each report is a default scan of many hosts with fine DLLs, DLLs to
// recompile and items not checked; the fleet's files are hard links to one of them. Peak memory
// is the program's largest resident set, sampled every 5 ms while it runs.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "report/report_texts.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

void AddLines(std::string& report, std::span<const std::string_view> lines) {
  for (std::string_view line : lines) report.append(line).append("\r\n");
}

void AddLine(std::string& report, const std::string& line) {
  report.append(line).append("\r\n");
}

// A default scan's report of at least size bytes.
std::string MakeReport(std::size_t size) {
  std::string report;
  AddLines(report, BANNER_LINES);
  AddLine(report, "Mon Dec 07 06:00:04 2026");
  AddLine(report, "");
  AddLine(report, std::string(HOSTS_ANNOUNCEMENT));
  AddLine(report, std::string(HOSTS_MACHINE_LEAD) + "WEB01" + std::string(MACHINE_END));
  AddLine(report, "");
  int notChecked = 0;
  for (int host = 1; report.size() < size; ++host) {
    const std::string folder = "C:\\Program Files\\Ferrow\\App" + std::to_string(host % 40) + "\\";
    AddLine(report, std::string(HOST_LEAD) + "dllhost.exe" + std::string(HOST_PID_LEAD) +
                        std::to_string(1000 + host) + std::string(HOST_PID_END) + "Package " +
                        std::to_string(host));
    AddLine(report, "Second Package");
    for (int module = 0; module < 6; ++module) {
      AddLine(report, "");
      AddLine(report, folder + "Module" + std::to_string(module) + ".dll" + std::string(FINE_END));
      AddLine(report, std::string(RETAINED_IN_MEMORY_ON));
      AddLine(report, std::string(UNATTENDED_EXECUTION_ON));
    }
    AddLine(report, std::string(RETAINED_IN_MEMORY_ON));
    AddLine(report, std::string(UNATTENDED_EXECUTION_OFF));
    AddLine(report,
            std::string(RECOMPILE_LEAD) + folder + "Legacy.dll" + std::string(RECOMPILE_END));
    AddLine(report, std::string(NOT_CHECKED_LEAD) + folder + "Locked.dll" +
                        std::string(ERROR_OPEN) + "error 5: Access is denied." +
                        std::string(ERROR_CLOSE));
    ++notChecked;
    AddLine(report, "");
    AddLine(report, "");
  }
  AddLines(report, RECOMPILE_NOTE_LINES);
  AddLines(report, INCOMPLETE_NOTE_HEAD_LINES);
  AddLine(report, std::string(INCOMPLETE_COUNT_LEAD) + std::to_string(notChecked) +
                      std::string(INCOMPLETE_COUNT_MANY) + std::string(INCOMPLETE_COUNT_END));
  AddLines(report, INCOMPLETE_NOTE_TAIL_LINES);
  return report;
}

// A folder of count reports of at least size bytes each, removed when it goes.
class Fleet {
 public:
  Fleet(int count, std::size_t size) : folder_(fs::temp_directory_path() / "quentix-fleet-XXXXXX") {
    std::string pattern = folder_.string();
    folder_ = ::mkdtemp(pattern.data());
    const fs::path first = folder_ / "server00000.txt";
    const std::string report = MakeReport(size);
    std::ofstream(first, std::ios::binary) << report;
    bytes_ = report.size() * static_cast<std::size_t>(count);
    for (int i = 1; i < count; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "server%05d.txt", i);
      fs::create_hard_link(first, folder_ / name);
    }
  }
  Fleet(const Fleet&) = delete;
  Fleet& operator=(const Fleet&) = delete;
  ~Fleet() { fs::remove_all(folder_); }

  const fs::path& Folder() const { return folder_; }
  std::size_t Bytes() const { return bytes_; }

 private:
  fs::path folder_;
  std::size_t bytes_ = 0;
};

struct Run {
  int status = -1;
  long peakKiB = 0;
  double seconds = 0;     // wall-clock time
  double cpuSeconds = 0;  // the program's own, user and system: what a busy machine leaves alone
};

// VmHWM of the process, or 0 once it is gone.
long LargestResidentSetKiB(pid_t process) {
  std::ifstream status("/proc/" + std::to_string(process) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.starts_with("VmHWM:")) return std::atol(line.c_str() + 6);
  return 0;
}

// Runs the built quentix-summary over the folder, its standard output into out, with its three
// outputs or none.
Run Summarise(const fs::path& folder, const fs::path& out, bool outputs) {
  const std::string program =
      (fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "src" / "quentix-summary")
          .string();
  std::vector<std::string> arguments = {program};
  if (outputs)
    arguments.insert(arguments.end(),
                     {"--json", "/dev/null", "--csv", "/dev/null", "--html", "/dev/null"});
  arguments.push_back(folder.string());
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  Run run;
  const auto start = std::chrono::steady_clock::now();
  pid_t child = 0;
  if (::posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
    // The program's largest resident set, as its own memory map counts it: the resource usage
    // that wait gives would count this process's pages too, which a spawned child starts from.
    // Read while it runs; the largest only grows.
    siginfo_t exited{};
    while (::waitid(P_PID, static_cast<id_t>(child), &exited, WEXITED | WNOHANG | WNOWAIT) == 0 &&
           exited.si_pid == 0) {
      run.peakKiB = std::max(run.peakKiB, LargestResidentSetKiB(child));
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    int status = 0;
    rusage usage{};
    if (::wait4(child, &status, 0, &usage) == child && WIFEXITED(status)) {
      run.status = WEXITSTATUS(status);
      for (const timeval& time : {usage.ru_utime, usage.ru_stime})
        run.cpuSeconds +=
            static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
    }
  }
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  posix_spawn_file_actions_destroy(&actions);
  return run;
}

void BM_SummariseFleet(benchmark::State& state) {
  const int reports = static_cast<int>(state.range(0));
  const Fleet fleet(reports, static_cast<std::size_t>(state.range(1)));
  const fs::path out = fleet.Folder() / "summary.out";
  Run run;
  for (auto _ : state) {
    run = Summarise(fleet.Folder(), out, state.range(2) != 0);
    state.SetIterationTime(run.seconds);
  }
  // Every report is one that is incomplete: status 2, and the total says so.
  std::ifstream lines(out);
  std::string line, last;
  while (std::getline(lines, line)) last = line;
  const std::string total = std::to_string(reports) + " reports: 0 clean, 0 recompile, " +
                            std::to_string(reports) + " incomplete, 0 cut short, 0 not a report";
  if (run.status != 2 || last != total)
    state.SkipWithError(("quentix-summary said " + last).c_str());
  state.SetBytesProcessed(static_cast<std::int64_t>(fleet.Bytes()) * state.iterations());
  state.counters["reports/s"] = benchmark::Counter(reports / run.seconds);
  state.counters["peak_MiB"] = static_cast<double>(run.peakKiB) / 1024.0;
  state.counters["cpu_s"] = run.cpuSeconds;
  state.counters["cpu_MB/s"] = static_cast<double>(fleet.Bytes()) / 1e6 / run.cpuSeconds;
}

}  // namespace

BENCHMARK(BM_SummariseFleet)
    ->ArgNames({"reports", "bytes", "outputs"})
    ->Args({10000, 50 * 1024, 1})
    ->Args({100, 5 * 1024 * 1024, 1})
    ->Args({10000, 50 * 1024, 0})
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kSecond);
