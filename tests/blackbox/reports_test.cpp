// The built quentix run as an administrator runs it, its whole output compared byte for byte
// with the expected reports in tests/data/reports. One table runs on Linux and, as quentix.exe,
// under Wine; rows that need what only one system has stand in tables of their own.
//
// An expected report is the report itself, CR LF and all, with these marks:
//   {TIME}         the time line's place (its shape is checked)
//   {MACHINE}      the machine name
//   {DIR}          the folder of the run's samples; {/} the system's path separator
//   {FILE}         the file the row names: in that folder, unless it is an absolute path
//   {PID1} {PID2}  the process ids of the row's sample hosts, in the order they were started
//   {ERROR n}      "error n" and the system's text for it (n decimal, or hexadecimal with 0x)
// A command line is words split at blanks ('...' quotes one with blanks); it takes {QUENTIX},
// {TOOLS} (the folder of the test tools), {DIR}, {/} and {FILE}.
#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <fcntl.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

#include "blackbox/blackbox.h"
#include "support/expected_text.h"

namespace {

namespace fs = std::filesystem;
using Prepare = void (*)(const fs::path& folder);

std::vector<std::string> Words(std::string_view line) {
  std::vector<std::string> words;
  for (std::size_t at = 0; at < line.size(); ++at) {
    if (line[at] == ' ') continue;
    const bool quoted = line[at] == '\'';
    const std::size_t end = std::min(line.find(quoted ? '\'' : ' ', at + quoted), line.size());
    words.emplace_back(line.substr(at + quoted, end - at - quoted));
    at = end;
  }
  return words;
}

// One row: a run of quentix and what it must give.
struct ReportCase {
  std::string golden = {};  // tests/data/reports/<golden>.txt; "" when nothing is written
  int status = 0;
  std::vector<std::string> command = {};
  std::string file = "fine.dll";      // what {FILE} stands for
  const char* catalog = nullptr;      // the fake catalog served to the run, by name
  std::vector<HostSetup> hosts = {};  // sample hosts running during the run
  std::string packages = {};          // what the fake package tracker lists ("{PID1} Sales\n")
  std::string change = {};            // a shell command run in the folder once the hosts run
  std::string err = {};               // what standard error must hold
  std::string machine = {};           // the machine name the report shows, when not this one's
  Prepare prepare = nullptr;          // more files for the run

  ReportCase File(std::string name) const { return With(&ReportCase::file, std::move(name)); }
  ReportCase Catalog(const char* name) const { return With(&ReportCase::catalog, name); }
  ReportCase Hosts(std::vector<HostSetup> all) const { return With(&ReportCase::hosts, all); }
  ReportCase Packages(std::string list) const { return With(&ReportCase::packages, list); }
  ReportCase Change(std::string shell) const { return With(&ReportCase::change, shell); }
  ReportCase Err(std::string text) const { return With(&ReportCase::err, std::move(text)); }
  ReportCase Machine(std::string name) const { return With(&ReportCase::machine, name); }
  ReportCase Files(Prepare make) const { return With(&ReportCase::prepare, make); }

 private:
  template <typename Field, typename Value>
  ReportCase With(Field ReportCase::*field, Value value) const {
    ReportCase changed = *this;
    changed.*field = std::move(value);
    return changed;
  }
};

ReportCase Case(std::string golden, int status, std::string_view command) {
  return {std::move(golden), status, Words(command)};
}

void PrintTo(const ReportCase& c, std::ostream* out) {
  for (const std::string& word : c.command) *out << word << ' ';
}

#if defined(_WIN32)
constexpr char kSeparator[] = "\\";
struct OpenWatch {
  explicit OpenWatch(const TempFolder&) {}
  bool SawAnOpen() const { return false; }
};
#else
constexpr char kSeparator[] = "/";
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
class Runner {
 public:
  explicit Runner(const ReportCase& c) : case_(c) {
    WriteSamples(folder_);
    if (c.prepare != nullptr) c.prepare(folder_.Path());
    marks_ = {{"{QUENTIX}", QUENTIX_EXE_PATH},
              {"{TOOLS}", QUENTIX_TEST_TOOLS_DIR "/tools"},
              {"{FILE}", c.file.starts_with("/") ? c.file : "{DIR}{/}" + c.file},
              {"{DIR}", folder_.Path().string()},
              {"{/}", kSeparator},
              {"{MACHINE}", c.machine.empty() ? MachineName() : c.machine}};
    for (HostSetup setup : c.hosts) {
      for (std::string& step : setup.steps) step = Expand(step);
      hosts_.push_back(StartSampleHost(setup, folder_));
      marks_.push_back(
          {"{PID" + std::to_string(hosts_.size()) + "}", std::to_string(hosts_.back()->Id())});
    }
    if (c.change.empty()) return;
    const ChildResult changed =
        RunChild("/bin/sh", {"sh", "-c", "cd \"$0\" && " + c.change, Expand("{DIR}")});
    EXPECT_EQ(changed.status, 0) << changed.err;
  }

  std::string Expand(std::string text) const { return WithMarks(std::move(text), marks_); }
  const Marks& AllMarks() const { return marks_; }

  ChildResult Start() {
    std::vector<std::string> argv;
    for (const std::string& word : case_.command) argv.push_back(Expand(word));
    std::unique_ptr<ServedFakes> served;
    if (case_.catalog != nullptr || !case_.packages.empty())
      served = std::make_unique<ServedFakes>(argv, case_.catalog, Expand("{DIR}"),
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
  Marks marks_;
  std::vector<std::unique_ptr<SampleHostProcess>> hosts_;
};

// The report with its time line, which must have asctime's form with a two-digit day, made
// "{TIME}". The banner ends in an empty line.
std::string WithTimeMarked(std::string report) {
  static const std::regex kTimeLine(
      R"(\r\n\r\n[A-Z][a-z]{2} [A-Z][a-z]{2} \d\d \d\d:\d\d:\d\d \d{4}\r\n)");
  return std::regex_replace(report, kTimeLine, "\r\n\r\n{TIME}\r\n",
                            std::regex_constants::format_first_only);
}

class Reports : public testing::TestWithParam<ReportCase> {};

TEST_P(Reports, AreTheExpectedOnes) {
  const ReportCase& c = GetParam();
  const std::string file = "reports/" + c.golden + ".txt";
  if (!c.golden.empty() && ExpectedText(file).find("Scanning IIS") != std::string::npos &&
      !MayLookIntoOtherProcesses())
    GTEST_SKIP() << "looking into other processes needs root";
  Runner run(c);
  const ChildResult result = run.Start();
  const std::string wanted = c.golden.empty() ? "" : ExpectedText(file, "", run.AllMarks());
  EXPECT_EQ(WithTimeMarked(result.out), wanted);
  EXPECT_EQ(result.err, WithErrors(run.Expand(c.err)));
  EXPECT_EQ(result.status, c.status);
}

std::string NameOf(const testing::TestParamInfo<ReportCase>& info) {
  std::string name = info.param.golden + "_" + std::to_string(info.index);
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

// Both systems.
INSTANTIATE_TEST_SUITE_P(
    BothSystems, Reports,
    testing::Values(
        Case("help", 0, "{QUENTIX} /?"), Case("help", 0, "{QUENTIX} -? /sc more"),
        // One case per shape of the single-file report; later arguments are ignored.
        Case("fine", 0, "{QUENTIX} {FILE} /sc /?"),
        Case("version5", 0, "{QUENTIX} {FILE}").File("version5.dll"),
        Case("recompile", 0, "{QUENTIX} {FILE}").File("recompile.dll"),
        Case("no-verdict", 0, "{QUENTIX} {FILE}").File("plain.dll"),
        Case("missing", 2, "{QUENTIX} {FILE}").File("gone.dll"),
        // The catalog first, then the running hosts; what cannot be read is named.
        Case("catalog-shops", 0, "{QUENTIX} /SC").Catalog("shops"),
        Case("catalog-odd-values", 2, "{QUENTIX} -sc").Catalog("odd-values"),
        Case("catalog-unopenable", 2, "{QUENTIX} -Sc").Catalog("unopenable"),
        // Each host under its packages, or under the web server's line, then its Brannic
        // modules in load order; the system's own modules print nothing.
        Case("default-packages", 0, "{QUENTIX}")
            .Hosts({{"inetinfo.exe", {"fine.dll"}},
                    {"dllhost.exe", {"recompile.dll", "version5.dll", "plain.dll"}},
                    {"dllhost.exe", {}}})
            .Packages("{PID2} Sales\n{PID2} Orders\n-{PID2} Hidden\n4000000 Elsewhere\n")),
    NameOf);

#if defined(_WIN32)
// Under Wine the test bed's COM server stands in for the catalog and the package tracker.
INSTANTIATE_TEST_SUITE_P(
    Wine, Reports,
    testing::Values(
        // Without data to serve neither class is available.
        Case("catalog-unavailable", 2, "{QUENTIX} /sc"),
        // A host whose module list cannot be taken is named, and the scan goes on.
        Case("default-unlisted", 2, "{QUENTIX}")
            .Hosts({{"dllhost.exe", {}, true}, {"inetinfo.exe", {"fine.dll"}}})),
    NameOf);
#else
}  // namespace

extern char** environ;

namespace {

void MakeFifo(const fs::path& folder) {
  if (::mkfifo((folder / "pipe.dll").c_str(), 0600) != 0) throw std::runtime_error("no fifo");
}

// Four gibibytes that take no room: the check reads its first bytes alone.
void MakeSparse(const fs::path& folder) {
  fs::copy_file(folder / "fine.dll", folder / "huge.dll");
  fs::resize_file(folder / "huge.dll", 4ull << 30);
}

// A name with bytes that are not UTF-8 and bytes that would steer a terminal or end a line.
const std::string kOddName = "odd\xE9\x1B[2J\r\nfine.dll is fine....dll";
void MakeOddName(const fs::path& folder) {
  fs::copy_file(folder / "recompile.dll", folder / kOddName);
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

void MakeRootOnly(const fs::path& folder) {
  fs::permissions(folder, fs::perms::all);
  fs::permissions(folder / "recompile.dll", fs::perms::owner_read | fs::perms::owner_write);
}

// What a local user may put where a host's module was: a file only root may read, and a FIFO.
void MakeLures(const fs::path& folder) {
  fs::copy_file(folder / "recompile.dll", folder / "secret.dll");
  fs::permissions(folder / "secret.dll", fs::perms::owner_read | fs::perms::owner_write);
  if (::mkfifo((folder / "fifo").c_str(), 0600) != 0) throw std::runtime_error("no fifo");
  fs::create_directory(folder / "ns");
}

// A sample host taking the steps of tools/sample_host.
HostSetup HostOf(std::string_view steps) {
  return {.exeName = "dllhost.exe", .files = {}, .steps = Words(steps)};
}

// A host that has mapped its own copy of a sample as lib.dll.
HostSetup HostWithLib(const std::string& sample, const std::string& more = "") {
  return HostOf("--copy {DIR}/" + sample + " {DIR}/lib.dll {DIR}/lib.dll " + more);
}

constexpr char kTermination[] = "\r\nabnormal program termination\r\n";
constexpr char kNoPtrace[] =
    "/usr/bin/setpriv --inh-caps=-sys_ptrace --bounding-set=-sys_ptrace -- {QUENTIX}";
// With CAP_SYS_PTRACE but not the capabilities that map_files links need, so that a host's
// files are reached by their paths.
constexpr char kPtraceOnly[] =
    "/usr/bin/setpriv --bounding-set=-sys_admin,-checkpoint_restore -- {QUENTIX}";

INSTANTIATE_TEST_SUITE_P(
    Linux, Reports,
    testing::Values(
        Case("catalog-missing", 2, "{QUENTIX} /sc"), Case("privilege", 2, kNoPtrace),
        // Files that are no disk files yield no verdict, and never keep the check waiting.
        Case("no-verdict", 0, "{QUENTIX} {FILE}").File("pipe.dll").Files(MakeFifo),
        Case("no-verdict", 0, "{QUENTIX} /dev/null"),
        Case("fine", 0, "{QUENTIX} {FILE}").File("huge.dll").Files(MakeSparse),
        Case("odd-name", 0, "{QUENTIX} {FILE}").File(kOddName).Files(MakeOddName),
        Case("denied", 2, "{QUENTIX} {FILE}").File("."),
        // Any first argument but the switches is a file name.
        Case("missing", 2, "{QUENTIX} {FILE}").File("/h"),
        Case("too-long", 2, "{QUENTIX} {FILE}")
            .File(DeepFolder() + "/" + std::string(255, 'x') + "/" + std::string(255, 'y'))
            .Files(MakeDeepPath),
        Case("recompile", 0, "{QUENTIX} {FILE}")
            .File(DeepFolder() + "/" + std::string(200, 'n'))
            .Files(MakeDeepPath),
        Case("denied", 2,
             "/usr/bin/setpriv --reuid=65534 --regid=65534 --clear-groups -- {QUENTIX} {FILE}")
            .File("recompile.dll")
            .Files(MakeRootOnly),
        // No argument vector at all is the default mode.
        Case("default-none", 0, "{NO-ARGUMENTS}"),
        // A stack far smaller than the check's buffer.
        Case("recompile", 0, "/bin/sh -c 'ulimit -s 64 && exec \"$@\"' sh {QUENTIX} {FILE}")
            .File("recompile.dll"),
        // A report that cannot be written ends the run with a line on standard error.
        Case("", 2, "/bin/sh -c 'exec \"$@\" >/dev/full' sh {QUENTIX} {FILE}")
            .Err("QUENTIX could not write its report ({ERROR 112})\r\n"),
        // The machine name: the host name up to its first dot, in capitals, cut to 15. A
        // name that cannot be had ends every run before anything is written.
        Case("catalog-missing", 2, "{TOOLS}/with_host_name web01.example.com {QUENTIX} /sc")
            .Machine("WEB01"),
        Case("catalog-missing", 2, "{TOOLS}/with_host_name a-very-long-host-name {QUENTIX} /sc")
            .Machine("A-VERY-LONG-HOS"),
        Case("", 3, "{TOOLS}/with_host_name '' {QUENTIX} /?").Err(kTermination),
        Case("", 3, "{TOOLS}/with_host_name '' {QUENTIX} {FILE}").Err(kTermination)),
    NameOf);

// Hosts whose mapped files a local user changed after they were mapped, scanned as root and
// with ptrace alone: the report judges the file each host has mapped, or names it as not
// checked, and never what a path names by now; what a user put in place is never opened.
INSTANTIATE_TEST_SUITE_P(
    HostSafety, Reports,
    testing::Values(
        Case("safety-fine-lib", 0, "{QUENTIX}")
            .Hosts({HostWithLib("fine.dll")})
            .Change("rm lib.dll && ln -s secret.dll lib.dll")
            .Files(MakeLures),
        Case("safety-lib-unreachable", 2, kPtraceOnly)
            .Hosts({HostWithLib("fine.dll")})
            .Change("rm lib.dll && ln -s secret.dll lib.dll")
            .Files(MakeLures),
        Case("safety-fine-lib", 0, "{QUENTIX}")
            .Hosts({HostWithLib("fine.dll")})
            .Change("rm lib.dll && ln -s fifo lib.dll")
            .Files(MakeLures),
        Case("safety-lib-unreachable", 2, kPtraceOnly)
            .Hosts({HostWithLib("fine.dll")})
            .Change("rm lib.dll && ln -s fifo lib.dll")
            .Files(MakeLures),
        // Upgraded in place: the loaded image is judged, not the new file.
        Case("safety-recompile-lib", 0, "{QUENTIX}")
            .Hosts({HostWithLib("recompile.dll")})
            .Change("cp fine.dll new.dll && mv new.dll lib.dll"),
        Case("safety-lib-replaced", 2, kPtraceOnly)
            .Hosts({HostWithLib("recompile.dll")})
            .Change("cp fine.dll new.dll && mv new.dll lib.dll"),
        // A name that only looks like a deleted file's, beside the file it seems to be.
        Case("safety-deleted-name", 0, "{QUENTIX}")
            .Hosts({HostOf("--copy {DIR}/recompile.dll '{DIR}/lib.dll (deleted)' --copy "
                           "{DIR}/fine.dll {DIR}/lib.dll '{DIR}/lib.dll (deleted)'")}),
        Case("safety-deleted-name", 0, kPtraceOnly)
            .Hosts({HostOf("--copy {DIR}/recompile.dll '{DIR}/lib.dll (deleted)' --copy "
                           "{DIR}/fine.dll {DIR}/lib.dll '{DIR}/lib.dll (deleted)'")}),
        // A host in a mount namespace of its own: its file, not ours of the same path.
        Case("safety-namespace", 0, kPtraceOnly)
            .Hosts({HostOf("--copy {DIR}/fine.dll {DIR}/ns/lib.dll --private-tmpfs {DIR}/ns "
                           "--copy {DIR}/recompile.dll {DIR}/ns/lib.dll {DIR}/ns/lib.dll")})
            .Files(MakeLures),
        Case("safety-newline", 0, kPtraceOnly)
            .Hosts({HostOf("--copy {DIR}/fine.dll '{DIR}/a\nb.dll' '{DIR}/a\nb.dll'")}),
        Case("safety-cr", 0, "{QUENTIX}")
            .Hosts({HostOf("--copy {DIR}/recompile.dll '{DIR}/c\rd.dll' '{DIR}/c\rd.dll'")}),
        // A host whose main thread has ended while another lives on.
        Case("safety-recompile-lib", 0, kPtraceOnly)
            .Hosts({HostWithLib("recompile.dll", "--exit-main-thread")})),
    NameOf);

// Too few descriptors to read the process list: named, not taken for ended processes. Not
// under the sanitizers, whose runtime needs descriptors of its own.
#if !defined(__SANITIZE_ADDRESS__)
INSTANTIATE_TEST_SUITE_P(
    FewDescriptors, Reports,
    testing::Values(Case("safety-few-descriptors", 2,
                         "/bin/sh -c 'exec 3<&- 4<&- 5<&- 6<&- 7<&- 8<&- 9<&- && exec prlimit "
                         "--nofile=4 -- \"$0\"' {QUENTIX}")
                        .Hosts({HostWithLib("recompile.dll")})),
    NameOf);
#endif

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
