// The built quentix run as an administrator runs it, its whole output compared byte for byte
// with the expected reports in tests/data/reports: the cases stand in cases.txt there, one
// table for Linux and, as quentix.exe, for Wine. An expected report is the report itself, CR LF
// and all, with marks: {TIME} for the time line (its shape is checked), {MACHINE}, {DIR} and
// {/} (the samples' folder and the path separator), {FILE}, {PID1}... (the sample hosts'
// process ids, in the order they were started), {ERROR n} (the error and the system's text).
#include <gtest/gtest.h>

#if defined(_WIN32)
#include <cstdio>
#else
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#endif

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/win32.h"
#include "sample_dll.h"
#include "support/child_process.h"
#include "support/expected_text.h"
#include "support/temp_folder.h"

#if !defined(_WIN32)
extern char** environ;
#endif

namespace {

namespace fs = std::filesystem;

// The bytes a case's text stands for: \r, \n and \xHH are theirs.
std::string Unescaped(std::string_view text) {
  std::string bytes;
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text[at] != '\\' || at + 1 == text.size()) {
      bytes += text[at];
    } else if (text[++at] == 'x') {
      bytes += static_cast<char>(std::stoi(std::string(text.substr(at + 1, 2)), nullptr, 16));
      at += 2;
    } else {
      bytes += text[at] == 'r' ? '\r' : text[at] == 'n' ? '\n' : text[at];
    }
  }
  return bytes;
}

// Words split at blanks; '...' quotes one with blanks.
std::vector<std::string> Words(std::string_view line) {
  std::vector<std::string> words;
  for (std::size_t at = 0; at < line.size(); ++at) {
    if (line[at] == ' ') continue;
    const bool quoted = line[at] == '\'';
    const std::size_t end = std::min(line.find(quoted ? '\'' : ' ', at + quoted), line.size());
    words.push_back(Unescaped(line.substr(at + quoted, end - at - quoted)));
    at = end;
  }
  return words;
}

struct HostSetup {
  std::string exeName;
  std::vector<std::string> files;  // of the samples' folder, loaded in order
  bool suspended = false;          // made and never started (Windows)
  std::vector<std::string> steps;  // of tools/sample_host, in place of the files (Linux)
};

struct ReportCase {
  std::string line;  // as cases.txt gives it
  int status = 0;
  std::string expected;  // "-" for nothing
  std::vector<std::string> command;
  std::string file = "fine.dll";
  std::string catalog = {}, packages = {}, change = {}, err = {}, machine = {};
  std::vector<HostSetup> hosts = {};
  std::vector<std::string> make = {};
};

void PrintTo(const ReportCase& c, std::ostream* out) {
  *out << c.line;
}

// The cases of cases.txt that run on this system.
std::vector<ReportCase> CasesHere() {
  std::ifstream in(QUENTIX_TEST_DATA_DIR "/reports/cases.txt");
  std::vector<ReportCase> cases;
  bool taken = false;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line.front() == '#') continue;
    if (line.front() != ' ') {
      std::vector<std::string> words = Words(line);
#if defined(_WIN32)
      taken = words[0] == "both" || words[0] == "wine";
#elif defined(__SANITIZE_ADDRESS__)
      taken = words[0] == "both" || words[0] == "linux";
#else
      taken = words[0] == "both" || words[0].starts_with("linux");
#endif
      if (taken)
        cases.push_back({line, std::stoi(words[1]), words[2], {words.begin() + 3, words.end()}});
      continue;
    }
    if (!taken) continue;
    ReportCase& c = cases.back();
    const std::size_t start = line.find_first_not_of(' ');
    const std::string key = line.substr(start, line.find(' ', start) - start);
    const std::string value = Unescaped(line.substr(std::min(start + key.size() + 1, line.size())));
    std::vector<std::string> words = Words(line.substr(start + key.size()));
    if (key == "host" || key == "suspended")
      c.hosts.push_back({words[0], {words.begin() + 1, words.end()}, key == "suspended", {}});
    else if (key == "steps")
      c.hosts.push_back({"dllhost.exe", {}, false, words});
    else if (key == "make")
      c.make = words;
    else
      (key == "file"       ? c.file
       : key == "catalog"  ? c.catalog
       : key == "packages" ? c.packages
       : key == "change"   ? c.change
       : key == "err"      ? c.err
                           : c.machine) = value;
  }
  return cases;
}

constexpr struct {
  const char* name;
  SampleKind kind;
} kSamples[] = {{"fine.dll", SampleKind::Fine},
                {"recompile.dll", SampleKind::Recompile},
                {"version5.dll", SampleKind::Version5},
                {"plain.dll", SampleKind::NoHeader}};

// A folder path of some 3600 bytes: far longer than any Windows path.
std::string DeepFolder() {
  std::string deep = "deep";
  for (int level = 0; level < 18; ++level) deep += "/" + std::string(200, 'd');
  return deep;
}

class SampleHostProcess {
 public:
  virtual ~SampleHostProcess() = default;
  virtual DWORD Id() const = 0;
};

#if defined(_WIN32)
constexpr char kSeparator[] = "\\";

bool MayLookIntoOtherProcesses() {
  return true;
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Real DLLs that the check judges like the samples of their names: each sample's first bytes
// written over the room that the carrier DLL keeps for them, within the bytes the check reads.
void WriteSamples(const TempFolder& folder) {
  static const std::string carrier = ReadWholeFile(QUENTIX_SAMPLE_CARRIER_PATH);
  static const std::size_t room = carrier.find("QUENTIX SAMPLE ROOM");
  constexpr std::size_t kRoomSize = 8192;
  if (room == std::string::npos || room + kRoomSize > 64000)
    throw std::runtime_error("the carrier DLL has no room for a sample");
  for (const auto& sample : kSamples) {
    std::string bytes = carrier;
    folder.Write(sample.name,
                 bytes.replace(room, kRoomSize, MakeSampleDll(sample.kind).substr(0, kRoomSize)));
  }
}

void MakeFiles(const std::vector<std::string>&, const fs::path&) {}

// A stand-in server host (tests/wine/sample_host.cpp) that has loaded the given DLLs.
class WineHost final : public SampleHostProcess {
 public:
  WineHost(const HostSetup& setup, const fs::path& folder) {
    const std::string program = std::string(QUENTIX_SAMPLE_HOSTS_DIR) + "/" + setup.exeName;
    std::string commandLine = "\"" + program + "\"";
    for (const std::string& dll : setup.files)
      commandLine += " \"" + (folder / dll).string() + "\"";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    CreatePipe(&readEnd, &writeEnd, &inherit, 0);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    const bool started = CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                        setup.suspended ? CREATE_SUSPENDED : 0, nullptr, nullptr,
                                        &startup, &process_);
    CloseHandle(writeEnd);
    std::string line;
    char c = 0;
    DWORD got = 0;
    while (started && !setup.suspended && c != '\n' && ReadFile(readEnd, &c, 1, &got, nullptr) &&
           got == 1)
      line += c;
    CloseHandle(readEnd);
    if (started) CloseHandle(process_.hThread);
    // Its standard output is in text mode: the line ends in CR LF.
    if (!started || (!setup.suspended && line != "ready\r\n"))
      throw std::runtime_error(setup.exeName + " did not load its DLLs");
  }
  ~WineHost() override {
    TerminateProcess(process_.hProcess, 0);
    WaitForSingleObject(process_.hProcess, INFINITE);
    CloseHandle(process_.hProcess);
  }
  DWORD Id() const override { return process_.dwProcessId; }

 private:
  PROCESS_INFORMATION process_{};
};

std::unique_ptr<SampleHostProcess> StartSampleHost(const HostSetup& setup, const fs::path& folder) {
  return std::make_unique<WineHost>(setup, folder);
}

// While it lives, the test bed's COM server serves the named catalog (its DLLs in folder) and a
// tracker listing the packages.
class ServedFakes {
 public:
  ServedFakes(std::vector<std::string>&, const std::string& catalog, const std::string& folder,
              const std::string& packages) {
    if (!catalog.empty())
      std::ofstream(QUENTIX_FAKE_CATALOG_DATA, std::ios::binary) << catalog << '\n' << folder;
    if (!packages.empty()) std::ofstream(QUENTIX_FAKE_TRACKER_DATA, std::ios::binary) << packages;
  }
  ~ServedFakes() {
    std::remove(QUENTIX_FAKE_CATALOG_DATA);
    std::remove(QUENTIX_FAKE_TRACKER_DATA);
  }
};

struct OpenWatch {
  explicit OpenWatch(const fs::path&) {}
  bool SawAnOpen() const { return false; }
};
#else
constexpr char kSeparator[] = "/";

bool MayLookIntoOtherProcesses() {
  return ::geteuid() == 0;
}

void WriteSamples(const TempFolder& folder) {
  for (const auto& sample : kSamples) folder.Write(sample.name, MakeSampleDll(sample.kind));
}

// The files a case asks for beside the samples.
void MakeFiles(const std::vector<std::string>& what, const fs::path& folder) {
  for (const std::string& make : what) {
    if (make == "fifo" || make == "lures")
      ::mkfifo((folder / (make == "fifo" ? "pipe.dll" : "fifo")).c_str(), 0600);
    if (make == "sparse") {
      fs::copy_file(folder / "fine.dll", folder / "huge.dll");
      fs::resize_file(folder / "huge.dll", 4ull << 30);
    }
    if (make == "odd-name")
      fs::copy_file(folder / "recompile.dll", folder / "odd\xE9\x1B[2J\r\nfine.dll is fine....dll");
    if (make == "deep") {
      fs::create_directories(folder / DeepFolder());
      fs::copy_file(folder / "recompile.dll", folder / DeepFolder() / std::string(200, 'n'));
    }
    // A file only root may read: as a module swapped for a link to it, or for another user.
    const fs::path secret = folder / (make == "lures" ? "secret.dll" : "recompile.dll");
    if (make == "lures") fs::copy_file(folder / "recompile.dll", secret);
    if (make == "lures") fs::create_directory(folder / "ns");
    if (make == "root-only") fs::permissions(folder, fs::perms::all);
    if (make == "lures" || make == "root-only")
      fs::permissions(secret, fs::perms::owner_read | fs::perms::owner_write);
  }
}

// A stand-in host process (tools/sample_host), killed when the test is done with it.
class LinuxHost final : public SampleHostProcess {
 public:
  explicit LinuxHost(std::vector<std::string> arguments) {
    const std::string program = QUENTIX_TEST_TOOLS_DIR "/../tools/sample_host";
    arguments.insert(arguments.begin(), program);
    int out[2];
    if (::pipe(out) != 0) throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    const int failed =
        ::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    std::string line;
    for (char c = 0; failed == 0 && ::read(out[0], &c, 1) == 1 && c != '\n';) line += c;
    ::close(out[0]);
    if (line != "ready") throw std::runtime_error("the sample host did not start");
  }
  ~LinuxHost() override {
    ::kill(pid_, SIGKILL);
    while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
    }
  }
  DWORD Id() const override { return static_cast<DWORD>(pid_); }

 private:
  pid_t pid_ = 0;
};

std::unique_ptr<SampleHostProcess> StartSampleHost(const HostSetup& setup, const fs::path& folder) {
  std::vector<std::string> arguments{"--name", setup.exeName};
  for (const std::string& file : setup.files) arguments.push_back((folder / file).string());
  arguments.insert(arguments.end(), setup.steps.begin(), setup.steps.end());
  return std::make_unique<LinuxHost>(std::move(arguments));
}

// The run is one of the harness that registers the named catalog (its DLLs in folder) and a
// tracker listing the packages, and then runs quentix in its own process.
struct ServedFakes {
  ServedFakes(std::vector<std::string>& argv, const std::string& catalog, const std::string& folder,
              const std::string& packages) {
    argv.front() = QUENTIX_TEST_TOOLS_DIR "/tools/quentix_with_fakes";
    argv.insert(argv.begin() + 1, {catalog.empty() ? "-" : catalog, folder, packages});
  }
};

// Watches the files of the folder that no run may ever open: "secret.dll", a file a user may
// not read, and "fifo", whose open would show a reader to its writer.
class OpenWatch {
 public:
  explicit OpenWatch(const fs::path& folder) : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    for (const char* name : {"secret.dll", "fifo"})
      ::inotify_add_watch(fd_, (folder / name).c_str(), IN_OPEN);
  }
  ~OpenWatch() { ::close(fd_); }
  bool SawAnOpen() const {
    char event[4096];
    return ::read(fd_, event, sizeof event) > 0;
  }

 private:
  int fd_;
};
#endif

// One run: its samples, its hosts, and the marks that stand for them.
class Runner {
 public:
  explicit Runner(const ReportCase& c) : case_(c) {
    WriteSamples(folder_);
    MakeFiles(c.make, folder_.Path());
    marks_ = {{"{QUENTIX}", QUENTIX_EXE_PATH},
              {"{TOOLS}", QUENTIX_TEST_TOOLS_DIR "/tools"},
              {"{FILE}", c.file.starts_with("/") ? c.file : "{DIR}{/}" + c.file},
              {"{DEEP}", DeepFolder()},
              {"{DIR}", folder_.Path().string()},
              {"{/}", kSeparator}};
    if (!c.machine.empty()) marks_.push_back({"{MACHINE}", c.machine});
    for (HostSetup setup : c.hosts) {
      for (std::string& step : setup.steps) step = WithMarks(step, marks_);
      hosts_.push_back(StartSampleHost(setup, folder_.Path()));
      marks_.push_back(
          {"{PID" + std::to_string(hosts_.size()) + "}", std::to_string(hosts_.back()->Id())});
    }
    if (c.change.empty()) return;
    const ChildResult changed =
        RunChild("/bin/sh", {"sh", "-c", "cd \"$0\" && " + c.change, folder_.Path().string()});
    EXPECT_EQ(changed.status, 0) << changed.err;
  }

  const Marks& AllMarks() const { return marks_; }

  ChildResult Start() {
    std::vector<std::string> argv;
    for (const std::string& word : case_.command) argv.push_back(WithMarks(word, marks_));
    // The system may not start a program with no argument at all; it gets what it gets.
    if (argv.front() == "{NO-ARGUMENTS}") return RunChild(QUENTIX_EXE_PATH, {});
    std::unique_ptr<ServedFakes> served;
    if (!case_.catalog.empty() || !case_.packages.empty())
      served = std::make_unique<ServedFakes>(argv, case_.catalog, folder_.Path().string(),
                                             WithMarks(case_.packages, marks_));
    const OpenWatch watch(folder_.Path());
    ChildResult result = RunChild(argv.front(), argv);
    EXPECT_FALSE(watch.SawAnOpen()) << "the run opened a file a link named";
    return result;
  }

 private:
  const ReportCase& case_;
  TempFolder folder_;
  Marks marks_;
  std::vector<std::unique_ptr<SampleHostProcess>> hosts_;
};

// The report with its time line, which must have asctime's form with a two-digit day, made
// "{TIME}". The banner ends in an empty line.
std::string WithTimeMarked(const std::string& report) {
  static const std::regex kTimeLine(
      R"(\r\n\r\n[A-Z][a-z]{2} [A-Z][a-z]{2} \d\d \d\d:\d\d:\d\d \d{4}\r\n)");
  return std::regex_replace(report, kTimeLine, "\r\n\r\n{TIME}\r\n",
                            std::regex_constants::format_first_only);
}

class Reports : public testing::TestWithParam<ReportCase> {};

TEST_P(Reports, AreTheExpectedOnes) {
  const ReportCase& c = GetParam();
  const std::string file = "reports/" + c.expected + ".txt";
  if (c.expected != "-" && ExpectedText(file).find("Scanning IIS") != std::string::npos &&
      !MayLookIntoOtherProcesses())
    GTEST_SKIP() << "looking into other processes needs root";
  Runner run(c);
  const ChildResult result = run.Start();
  EXPECT_EQ(WithTimeMarked(result.out),
            c.expected == "-" ? "" : ExpectedText(file, "", run.AllMarks()));
  EXPECT_EQ(result.err, WithErrors(c.err));
  EXPECT_EQ(result.status, c.status);
}

std::string NameOf(const testing::TestParamInfo<ReportCase>& param) {
  std::string name = std::to_string(param.index) + "_" + param.param.expected;
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(Cases, Reports, testing::ValuesIn(CasesHere()), NameOf);

#if !defined(_WIN32)
// A report bigger than any pipe, into a pipe left non-blocking and read late: every byte
// arrives, in order, as into a pipe read at once.
TEST(Reports, ReachAReaderThatTakesItsTimeWhole) {
  TempFolder folder;
  WriteSamples(folder);
  const std::string harness = QUENTIX_TEST_TOOLS_DIR "/tools/quentix_with_fakes";
  std::vector<std::string> argv = {harness, "many", folder.Path().string(), "", "/sc"};
  const ChildResult direct = RunChild(harness, argv);
  ASSERT_GT(direct.out.size(), 256u * 1024);
  int pipe[2];
  ASSERT_EQ(::pipe(pipe), 0);
  ::fcntl(pipe[1], F_SETFL, ::fcntl(pipe[1], F_GETFL) | O_NONBLOCK);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipe[1], 1);
  std::vector<char*> words;
  for (std::string& word : argv) words.push_back(word.data());
  words.push_back(nullptr);
  pid_t child = 0;
  ASSERT_EQ(::posix_spawn(&child, harness.c_str(), &actions, nullptr, words.data(), environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipe[1]);
  ::usleep(300 * 1000);  // the pipe fills long before the reader starts
  std::string late;
  char buffer[8192];
  for (ssize_t got; (got = ::read(pipe[0], buffer, sizeof buffer)) > 0;)
    late.append(buffer, static_cast<std::size_t>(got));
  ::close(pipe[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  // The catalog's part, which nothing else running on the machine can change.
  const auto catalogPart = [](const std::string& report) {
    return WithTimeMarked(report.substr(0, report.find("Scanning IIS")));
  };
  EXPECT_EQ(catalogPart(late), catalogPart(direct.out));
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == direct.status);
}
#endif

}  // namespace
