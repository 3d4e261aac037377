// The built quentix run as an administrator runs it, and its whole output compared byte for
// byte with the expected reports in tests/data/reports. The same table runs on Linux and,
// as quentix.exe, under Wine; rows that need what only one system has stand in tables of
// their own.
//
// An expected report is the report itself, CR LF and all, with these marks:
//   {TIME}         the time line's place (its shape is checked)
//   {MACHINE}      the machine name
//   {DIR}          the folder of the run's samples; {/} the system's path separator
//   {FILE}         the file the row names: in that folder, unless it is an absolute path
//   {PID1} {PID2}  the process ids of the row's sample hosts, in the order they were started
//   {ERROR n}      "error n" and the system's text for it (n decimal, or hexadecimal with 0x)
// The command line takes {QUENTIX}, {TOOLS} (the folder of the test tools), {DIR}, {/} and
// {FILE}.
#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <fcntl.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "blackbox/blackbox.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

struct ReportCase {
  const char* golden;                // tests/data/reports/<golden>.txt; "" when nothing is written
  std::vector<std::string> command;  // the command line
  int status = 0;
  std::string file = "fine.dll";      // what {FILE} stands for
  const char* catalog = nullptr;      // the fake catalog served to the run, by name
  std::vector<HostSetup> hosts = {};  // sample hosts running during the run
  const char* packages = "";          // what the fake package tracker lists ("{PID1} Sales\n")
  const char* change = nullptr;       // a shell command run in the folder once the hosts run
  const char* err = "";               // what standard error must hold
  const char* machine = nullptr;      // the machine name the report shows, when not this one's
  void (*prepare)(const fs::path& folder) = nullptr;  // more files for the run
};

void PrintTo(const ReportCase& c, std::ostream* out) {
  for (const std::string& word : c.command) *out << word << ' ';
}

#if defined(_WIN32)
constexpr char kSeparator[] = "\\";
#else
constexpr char kSeparator[] = "/";
#endif

std::string ReadWholeFile(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("cannot read " + path.string());
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void ReplaceAll(std::string& text, const std::string& mark, const std::string& value) {
  for (std::size_t at = 0; (at = text.find(mark, at)) != std::string::npos; at += value.size())
    text.replace(at, mark.size(), value);
}

// "{ERROR n}" as the report gives it: the number as written, and the system's own text.
void ExpandErrors(std::string& text) {
  for (std::size_t at; (at = text.find("{ERROR ")) != std::string::npos;) {
    const std::size_t end = text.find('}', at);
    const std::string number = text.substr(at + 7, end - at - 7);
    const DWORD code = static_cast<DWORD>(std::stoul(number, nullptr, 0));
    text.replace(at, end + 1 - at, ErrorText(code, number.starts_with("0x")));
  }
}

#if defined(_WIN32)
struct OpenWatch {
  explicit OpenWatch(const TempFolder&) {}
  bool SawAnOpen() const { return false; }
};
#else
// Watches the files of the folder that no run may ever open: "secret.dll", a file a user may
// not read, and "fifo", whose open would show a reader to its writer.
class OpenWatch {
 public:
  explicit OpenWatch(const TempFolder& folder) : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    for (const char* name : {"secret.dll", "fifo"})
      ::inotify_add_watch(fd_, (folder.Path() / name).c_str(), IN_OPEN);
  }
  OpenWatch(const OpenWatch&) = delete;
  OpenWatch& operator=(const OpenWatch&) = delete;
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
class Run {
 public:
  explicit Run(const ReportCase& c) : case_(c) {
    WriteSamples(folder_);
    if (c.prepare != nullptr) c.prepare(folder_.Path());
    marks_ = {{"{QUENTIX}", QUENTIX_EXE_PATH},
              {"{TOOLS}", QUENTIX_TEST_TOOLS_DIR "/tools"},
              {"{FILE}", c.file.starts_with("/") ? c.file : "{DIR}{/}" + c.file},
              {"{DIR}", folder_.Path().string()},
              {"{/}", kSeparator},
              {"{MACHINE}", c.machine != nullptr ? c.machine : MachineName()}};
    for (HostSetup setup : c.hosts) {
      for (std::string& step : setup.steps) step = Expand(step);
      hosts_.push_back(StartSampleHost(setup, folder_));
      marks_.push_back(
          {"{PID" + std::to_string(hosts_.size()) + "}", std::to_string(hosts_.back()->Id())});
    }
    if (c.change != nullptr) {
      EXPECT_EQ(RunChild("/bin/sh", {"sh", "-c", std::string("cd \"$0\" && ") + c.change,
                                     folder_.Path().string()})
                    .status,
                0);
    }
  }

  std::string Expand(std::string text) const {
    for (const auto& [mark, value] : marks_) ReplaceAll(text, mark, value);
    return text;
  }

  ChildResult Start() {
    std::vector<std::string> argv;
    for (const std::string& word : case_.command) argv.push_back(Expand(word));
    std::unique_ptr<ServedFakes> served;
    if (case_.catalog != nullptr || *case_.packages != '\0')
      served = std::make_unique<ServedFakes>(argv, case_.catalog, folder_.Path().string(),
                                             Expand(case_.packages));
    // The system may not start a program with no argument at all; it gets what it gets.
    if (argv.front() == "{NO-ARGUMENTS}") return RunChild(QUENTIX_EXE_PATH, {});
    const OpenWatch watch(folder_);
    ChildResult result = RunChild(argv.front(), argv);
    EXPECT_FALSE(watch.SawAnOpen()) << "the run opened a file a link named";
    return result;
  }

 private:
  const ReportCase& case_;
  TempFolder folder_;
  std::vector<std::pair<std::string, std::string>> marks_;
  std::vector<std::unique_ptr<SampleHostProcess>> hosts_;
};

// Whether text is a time line: "Www Mmm dd hh:mm:ss yyyy" (a two-digit day) and CR LF.
bool IsTimeLine(const std::string& text) {
  const std::string shape = "Aaa Aaa 00 00:00:00 0000\r\n";
  if (text.size() != shape.size()) return false;
  for (std::size_t i = 0; i < shape.size(); ++i) {
    const char c = text[i];
    const bool ok = shape[i] == '0'   ? (c >= '0' && c <= '9')
                    : shape[i] == 'A' ? (c >= 'A' && c <= 'Z')
                    : shape[i] == 'a' ? (c >= 'a' && c <= 'z')
                                      : c == shape[i];
    if (!ok) return false;
  }
  return true;
}

// The report with its time line, which must have the fixed form, made "{TIME}".
std::string WithTimeMarked(std::string report) {
  const std::size_t at = report.find("\r\n\r\n", 2);  // the banner ends in an empty line
  if (at == std::string::npos || report.size() < at + 4 + 26) return report;
  const std::string line = report.substr(at + 4, 26);
  if (IsTimeLine(line)) report.replace(at + 4, 24, "{TIME}");
  return report;
}

void Check(const ReportCase& c) {
  const std::string golden =
      *c.golden == '\0'
          ? std::string()
          : ReadWholeFile(fs::path(QUENTIX_REPORTS_DIR) / (std::string(c.golden) + ".txt"));
  if (golden.find("Scanning IIS") != std::string::npos && !MayLookIntoOtherProcesses())
    GTEST_SKIP() << "looking into other processes needs root";
  Run run(c);
  const ChildResult result = run.Start();
  std::string wanted = run.Expand(golden);
  ExpandErrors(wanted);
  EXPECT_EQ(WithTimeMarked(result.out), wanted);
  std::string err = run.Expand(c.err);
  ExpandErrors(err);
  EXPECT_EQ(result.err, err);
  EXPECT_EQ(result.status, c.status);
}

class Reports : public testing::TestWithParam<ReportCase> {};

TEST_P(Reports, AreTheExpectedOnes) {
  Check(GetParam());
}

std::string NameOf(const testing::TestParamInfo<ReportCase>& info) {
  std::string name = std::string(info.param.golden) + "_" + std::to_string(info.index);
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

constexpr char kTermination[] = "\r\nabnormal program termination\r\n";

// Both systems.
INSTANTIATE_TEST_SUITE_P(
    BothSystems, Reports,
    testing::Values(
        ReportCase{.golden = "help", .command = {"{QUENTIX}", "/?"}},
        ReportCase{.golden = "help", .command = {"{QUENTIX}", "-?", "/sc", "more"}},
        // One case per shape of the single-file report; later arguments are ignored.
        ReportCase{.golden = "fine", .command = {"{QUENTIX}", "{FILE}", "/sc", "/?"}},
        ReportCase{
            .golden = "version5", .command = {"{QUENTIX}", "{FILE}"}, .file = "version5.dll"},
        ReportCase{
            .golden = "recompile", .command = {"{QUENTIX}", "{FILE}"}, .file = "recompile.dll"},
        ReportCase{.golden = "no-verdict", .command = {"{QUENTIX}", "{FILE}"}, .file = "plain.dll"},
        ReportCase{.golden = "missing",
                   .command = {"{QUENTIX}", "{FILE}"},
                   .status = 2,
                   .file = "gone.dll"},
        // The catalog first, then the running hosts; what cannot be read is named.
        ReportCase{.golden = "catalog-shops", .command = {"{QUENTIX}", "/SC"}, .catalog = "shops"},
        ReportCase{.golden = "catalog-odd-values",
                   .command = {"{QUENTIX}", "-sc"},
                   .status = 2,
                   .catalog = "odd-values"},
        // Each host under its packages, or under the web server's line, then its Brannic
        // modules in load order; the system's own modules print nothing.
        ReportCase{.golden = "default-packages",
                   .command = {"{QUENTIX}"},
                   .hosts = {{"inetinfo.exe", {"fine.dll"}},
                             {"dllhost.exe", {"recompile.dll", "version5.dll", "plain.dll"}},
                             {"dllhost.exe", {}}},
                   .packages = "{PID2} Sales\n{PID2} Orders\n-{PID2} Hidden\n4000000 Elsewhere\n"},
        ReportCase{.golden = "catalog-unopenable",
                   .command = {"{QUENTIX}", "-Sc"},
                   .status = 2,
                   .catalog = "unopenable"}),
    NameOf);

#if defined(_WIN32)
// Under Wine the test bed's COM server stands in for the catalog and the package tracker.
INSTANTIATE_TEST_SUITE_P(
    Wine, Reports,
    testing::Values(
        // Without data to serve neither class is available.
        ReportCase{.golden = "catalog-unavailable", .command = {"{QUENTIX}", "/sc"}, .status = 2},
        // A host whose module list cannot be taken is named, and the scan goes on.
        ReportCase{.golden = "default-unlisted",
                   .command = {"{QUENTIX}"},
                   .status = 2,
                   .hosts = {{"dllhost.exe", {}, true}, {"inetinfo.exe", {"fine.dll"}}}}),
    NameOf);
#else
}  // namespace

extern char** environ;

namespace {

void MakeFifo(const fs::path& folder) {
  fs::path fifo = folder / "pipe.dll";
  if (::mkfifo(fifo.c_str(), 0600) != 0) throw std::runtime_error("no fifo");
}

// Four gibibytes that take no room: the check reads its first bytes alone.
void MakeSparse(const fs::path& folder) {
  fs::copy_file(folder / "fine.dll", folder / "huge.dll");
  fs::resize_file(folder / "huge.dll", 4ull << 30);
}

// A name with bytes that are not UTF-8 and bytes that would steer a terminal or end a line.
void MakeOddName(const fs::path& folder) {
  fs::copy_file(folder / "recompile.dll", folder / "odd\xE9\x1B[2J\r\nfine.dll is fine....dll");
}

// A folder path of some 3600 bytes: far longer than any Windows path.
std::string DeepFolder() {
  std::string deep = "deep";
  for (int level = 0; level < 18; ++level) deep += "/" + std::string(200, 'd');
  return deep;
}

void MakeDeepPath(const fs::path& folder) {
  fs::create_directories(folder / DeepFolder());
  fs::copy_file(folder / "recompile.dll", folder / DeepFolder() / std::string(200, 'n'));
}

const HostSetup kDeletedLookalike = {
    .exeName = "dllhost.exe",
    .files = {},
    .steps = {"--copy", "{DIR}/recompile.dll", "{DIR}/lib.dll (deleted)", "--copy",
              "{DIR}/fine.dll", "{DIR}/lib.dll", "{DIR}/lib.dll (deleted)"}};

// What a local user may put where a host's module was: a file only root may read, and a FIFO.
void MakeLures(const fs::path& folder) {
  fs::copy_file(folder / "recompile.dll", folder / "secret.dll");
  fs::permissions(folder / "secret.dll", fs::perms::owner_read | fs::perms::owner_write);
  if (::mkfifo((folder / "fifo").c_str(), 0600) != 0) throw std::runtime_error("no fifo");
  fs::create_directory(folder / "ns");
}

// A host that has mapped its own copy of a sample as lib.dll, after the steps before.
HostSetup HostWithLib(const char* sample, std::vector<std::string> before = {},
                      std::vector<std::string> after = {}) {
  before.insert(before.end(),
                {"--copy", "{DIR}/" + std::string(sample), "{DIR}/lib.dll", "{DIR}/lib.dll"});
  before.insert(before.end(), after.begin(), after.end());
  return {.exeName = "dllhost.exe", .files = {}, .steps = before};
}

// The host scan as root, and with CAP_SYS_PTRACE but not the capabilities that map_files
// links need, so that files are reached by their paths.
const std::vector<std::string> kAsRoot = {"{QUENTIX}"};
const std::vector<std::string> kPtraceOnly = {
    "/usr/bin/setpriv", "--bounding-set=-sys_admin,-checkpoint_restore", "--", "{QUENTIX}"};

void MakeRootOnly(const fs::path& folder) {
  fs::permissions(folder, fs::perms::all);
  fs::permissions(folder / "recompile.dll", fs::perms::owner_read | fs::perms::owner_write);
}

const std::vector<std::string> kNoPtrace = {"/usr/bin/setpriv", "--inh-caps=-sys_ptrace",
                                            "--bounding-set=-sys_ptrace", "--", "{QUENTIX}"};

INSTANTIATE_TEST_SUITE_P(
    Linux, Reports,
    testing::Values(
        ReportCase{.golden = "catalog-missing", .command = {"{QUENTIX}", "/sc"}, .status = 2},
        ReportCase{.golden = "privilege", .command = kNoPtrace, .status = 2},
        // Files that are no disk files yield no verdict, and never keep the check waiting.
        ReportCase{.golden = "no-verdict",
                   .command = {"{QUENTIX}", "{FILE}"},
                   .file = "pipe.dll",
                   .prepare = MakeFifo},
        ReportCase{.golden = "no-verdict", .command = {"{QUENTIX}", "/dev/null"}},
        ReportCase{.golden = "fine",
                   .command = {"{QUENTIX}", "{FILE}"},
                   .file = "huge.dll",
                   .prepare = MakeSparse},
        ReportCase{.golden = "odd-name",
                   .command = {"{QUENTIX}", "{FILE}"},
                   .file = "odd\xE9\x1B[2J\r\nfine.dll is fine....dll",
                   .prepare = MakeOddName},
        ReportCase{
            .golden = "denied", .command = {"{QUENTIX}", "{FILE}"}, .status = 2, .file = "."},
        // Any first argument but the switches is a file name.
        ReportCase{
            .golden = "missing", .command = {"{QUENTIX}", "{FILE}"}, .status = 2, .file = "/h"},
        ReportCase{.golden = "too-long",
                   .command = {"{QUENTIX}", "{FILE}"},
                   .status = 2,
                   .file = DeepFolder() + "/" + std::string(255, 'x') + "/" + std::string(255, 'y'),
                   .prepare = MakeDeepPath},
        ReportCase{.golden = "recompile",
                   .command = {"{QUENTIX}", "{FILE}"},
                   .file = DeepFolder() + "/" + std::string(200, 'n'),
                   .prepare = MakeDeepPath},
        ReportCase{.golden = "denied",
                   .command = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534",
                               "--clear-groups", "--", "{QUENTIX}", "{FILE}"},
                   .status = 2,
                   .file = "recompile.dll",
                   .prepare = MakeRootOnly},
        // No argument vector at all is the default mode.
        ReportCase{.golden = "default-none", .command = {"{NO-ARGUMENTS}"}},
        // A stack far smaller than the check's buffer.
        ReportCase{.golden = "recompile",
                   .command = {"/bin/sh", "-c", "ulimit -s 64 && exec \"$@\"", "sh", "{QUENTIX}",
                               "{FILE}"},
                   .file = "recompile.dll"},
        // A report that cannot be written ends the run with a line on standard error.
        ReportCase{
            .golden = "",
            .command = {"/bin/sh", "-c", "exec \"$@\" >/dev/full", "sh", "{QUENTIX}", "{FILE}"},
            .status = 2,
            .err = "QUENTIX could not write its report ({ERROR 112})\r\n"},
        // The machine name: the host name up to its first dot, in capitals, cut to 15. A
        // name that cannot be had ends every run before anything is written.
        ReportCase{.golden = "catalog-missing",
                   .command = {"{TOOLS}/with_host_name", "web01.example.com", "{QUENTIX}", "/sc"},
                   .status = 2,
                   .machine = "WEB01"},
        ReportCase{
            .golden = "catalog-missing",
            .command = {"{TOOLS}/with_host_name", "a-very-long-host-name", "{QUENTIX}", "/sc"},
            .status = 2,
            .machine = "A-VERY-LONG-HOS"},
        ReportCase{.golden = "",
                   .command = {"{TOOLS}/with_host_name", "", "{QUENTIX}", "/?"},
                   .status = 3,
                   .err = kTermination},
        ReportCase{.golden = "",
                   .command = {"{TOOLS}/with_host_name", "", "{QUENTIX}", "{FILE}"},
                   .status = 3,
                   .err = kTermination}),
    NameOf);

// Hosts whose mapped files a local user changed after they were mapped: the report judges
// the file each host has mapped, or names it as not checked, and never what a path names by
// now; what a user put in place is never opened.
INSTANTIATE_TEST_SUITE_P(
    HostSafety, Reports,
    testing::Values(
        ReportCase{.golden = "safety-fine-lib",
                   .command = kAsRoot,
                   .hosts = {HostWithLib("fine.dll")},
                   .change = "rm lib.dll && ln -s secret.dll lib.dll",
                   .prepare = MakeLures},
        ReportCase{.golden = "safety-lib-unreachable",
                   .command = kPtraceOnly,
                   .status = 2,
                   .hosts = {HostWithLib("fine.dll")},
                   .change = "rm lib.dll && ln -s secret.dll lib.dll",
                   .prepare = MakeLures},
        ReportCase{.golden = "safety-fine-lib",
                   .command = kAsRoot,
                   .hosts = {HostWithLib("fine.dll")},
                   .change = "rm lib.dll && ln -s fifo lib.dll",
                   .prepare = MakeLures},
        ReportCase{.golden = "safety-lib-unreachable",
                   .command = kPtraceOnly,
                   .status = 2,
                   .hosts = {HostWithLib("fine.dll")},
                   .change = "rm lib.dll && ln -s fifo lib.dll",
                   .prepare = MakeLures},
        // Upgraded in place: the loaded image is judged, not the new file.
        ReportCase{.golden = "safety-recompile-lib",
                   .command = kAsRoot,
                   .hosts = {HostWithLib("recompile.dll")},
                   .change = "cp fine.dll new.dll && mv new.dll lib.dll"},
        ReportCase{.golden = "safety-lib-replaced",
                   .command = kPtraceOnly,
                   .status = 2,
                   .hosts = {HostWithLib("recompile.dll")},
                   .change = "cp fine.dll new.dll && mv new.dll lib.dll"},
        // A name that only looks like a deleted file's, beside the file it seems to be.
        ReportCase{
            .golden = "safety-deleted-name", .command = kAsRoot, .hosts = {kDeletedLookalike}},
        ReportCase{
            .golden = "safety-deleted-name", .command = kPtraceOnly, .hosts = {kDeletedLookalike}},
        // A host in a mount namespace of its own: its file, not ours of the same path.
        ReportCase{
            .golden = "safety-namespace",
            .command = kPtraceOnly,
            .hosts = {{.exeName = "dllhost.exe",
                       .files = {},
                       .steps = {"--copy", "{DIR}/fine.dll", "{DIR}/ns/lib.dll", "--private-tmpfs",
                                 "{DIR}/ns", "--copy", "{DIR}/recompile.dll", "{DIR}/ns/lib.dll",
                                 "{DIR}/ns/lib.dll"}}},
            .prepare = MakeLures},
        ReportCase{
            .golden = "safety-newline",
            .command = kPtraceOnly,
            .hosts = {{.exeName = "dllhost.exe",
                       .files = {},
                       .steps = {"--copy", "{DIR}/fine.dll", "{DIR}/a\nb.dll", "{DIR}/a\nb.dll"}}}},
        ReportCase{.golden = "safety-cr",
                   .command = kAsRoot,
                   .hosts = {{.exeName = "dllhost.exe",
                              .files = {},
                              .steps = {"--copy", "{DIR}/recompile.dll", "{DIR}/c\rd.dll",
                                        "{DIR}/c\rd.dll"}}}},
        // A host whose main thread has ended while another lives on.
        ReportCase{.golden = "safety-recompile-lib",
                   .command = kPtraceOnly,
                   .hosts = {HostWithLib("recompile.dll", {}, {"--exit-main-thread"})}}),
    NameOf);

// Too few descriptors to read the process list: named, not taken for ended processes. Not
// under the sanitizers, whose runtime needs descriptors of its own.
#if !defined(__SANITIZE_ADDRESS__)
INSTANTIATE_TEST_SUITE_P(
    FewDescriptors, Reports,
    testing::Values(ReportCase{
        .golden = "safety-few-descriptors",
        .command = {"/bin/sh", "-c",
                    "exec 3<&- 4<&- 5<&- 6<&- 7<&- 8<&- 9<&-; exec prlimit --nofile=4 -- \"$0\"",
                    "{QUENTIX}"},
        .status = 2,
        .hosts = {HostWithLib("recompile.dll")}}),
    NameOf);
#endif

// A report bigger than any pipe, into a pipe left non-blocking and read slowly: every byte
// arrives, in order, as into a pipe read at once.
TEST(Reports, ReachAReaderThatTakesItsTimeWhole) {
  TempFolder folder;
  WriteSamples(folder);
  const std::string harness = std::string(QUENTIX_TEST_TOOLS_DIR) + "/tools/quentix_with_fakes";
  const std::vector<std::string> argv = {harness, "many", folder.Path().string(), "", "/sc"};
  const ChildResult direct = RunChild(harness, argv);
  ASSERT_GT(direct.out.size(), 256u * 1024);

  int pipe[2];
  ASSERT_EQ(::pipe(pipe), 0);
  ::fcntl(pipe[1], F_SETFL, ::fcntl(pipe[1], F_GETFL) | O_NONBLOCK);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipe[1], 1);
  posix_spawn_file_actions_addclose(&actions, pipe[0]);
  std::vector<char*> words;
  for (const std::string& word : argv) words.push_back(const_cast<char*>(word.c_str()));
  words.push_back(nullptr);
  pid_t child = 0;
  ASSERT_EQ(::posix_spawn(&child, harness.c_str(), &actions, nullptr, words.data(), environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipe[1]);
  // The pipe fills long before the reader starts.
  ::usleep(300 * 1000);
  std::string slow;
  char buffer[8192];
  for (ssize_t got; (got = ::read(pipe[0], buffer, sizeof buffer)) > 0;)
    slow.append(buffer, static_cast<std::size_t>(got));
  ::close(pipe[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_EQ(WithTimeMarked(slow), WithTimeMarked(direct.out));
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == direct.status);
}
#endif

}  // namespace
