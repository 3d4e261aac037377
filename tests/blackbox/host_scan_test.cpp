// The default mode against real host processes: sample hosts holding sample DLLs mapped,
// scanned by the built quentix as root, and again without the capability to look into them.
#if !defined(_WIN32)
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "blackbox/blackbox.h"
#include "driver/system_info.h"
#include "sample_dll.h"
#include "support/temp_folder.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

const std::string SAMPLE_HOST =
    (fs::path(QUENTIX_EXE_PATH).parent_path().parent_path() / "tools" / "sample_host").string();

// A sample host process, killed when the test is done with it.
class SampleHost {
 public:
  explicit SampleHost(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), SAMPLE_HOST);
    int out[2];
    if (::pipe(out) != 0) throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    const int failed =
        ::posix_spawn(&pid_, SAMPLE_HOST.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (failed != 0) {
      ::close(out[0]);
      throw std::runtime_error("cannot start " + SAMPLE_HOST);
    }
    ready_ = ReadLine(out[0]) == "ready";
    ::close(out[0]);
  }
  SampleHost(const SampleHost&) = delete;
  SampleHost& operator=(const SampleHost&) = delete;
  ~SampleHost() {
    ::kill(pid_, SIGKILL);
    while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
    }
  }

  bool Ready() const { return ready_; }
  pid_t Pid() const { return pid_; }

  // The given files in the order the host's memory map lists them.
  std::vector<std::string> InMapOrder(std::vector<std::string> files) const {
    std::ifstream in("/proc/" + std::to_string(pid_) + "/maps");
    const std::string maps((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::sort(files.begin(), files.end(), [&](const std::string& a, const std::string& b) {
      return maps.find(" " + a + "\n") < maps.find(" " + b + "\n");
    });
    return files;
  }

 private:
  static std::string ReadLine(int fd) {
    std::string line;
    char c = 0;
    while (::read(fd, &c, 1) == 1 && c != '\n') line += c;
    return line;
  }
  pid_t pid_ = 0;
  bool ready_ = false;
};

std::string Announcement() {
  return Lines(
      {"", "Scanning IIS, all Medium & High Isolation web applications",
       "and all running COM+ server packages on " + std::string(LocalSystem.MachineName) + "...",
       ""});
}

std::string Heading(const std::string& name, pid_t pid) {
  return "Scanning " + name + " (PID:" + std::to_string(pid) + ") ";
}

// The report of one sample file of the given kind.
std::string ReportOf(SampleKind kind, const std::string& path) {
  switch (kind) {
    case SampleKind::Fine:
      return Lines({"", path + " is fine...", "      Retained In Memory   :ON ",
                    "      Unattended Execution :ON "});
    case SampleKind::Recompile:
      return Lines({"      Retained In Memory   :ON ", "      Unattended Execution :OFF ",
                    "       " + path + " <<< Please Recompile!"});
    case SampleKind::Version5:
      return Lines({"", path + " is a BR5 file..."});
    case SampleKind::NoHeader:
      return "";
  }
  return "";
}

// The shape of the time line: "Www Mmm dd hh:mm:ss yyyy" and its line end.
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

// The host blocks of a default-mode report: what stands between the announcement and the
// closing text, cut before every heading that starts a line.
std::vector<std::string> HostBlocks(const std::string& blocks) {
  std::vector<std::string> cut;
  std::size_t start = 0;
  while (start < blocks.size()) {
    std::size_t next = start;
    do {
      next = blocks.find("\r\nScanning ", next + 1);
    } while (next != std::string::npos && blocks.compare(next + 11, 9, "dllhost.e") != 0 &&
             blocks.compare(next + 11, 10, "inetinfo.e") != 0);
    const std::size_t end = next == std::string::npos ? blocks.size() : next + 2;
    cut.push_back(blocks.substr(start, end - start));
    start = end;
  }
  return cut;
}

class HostScanEndToEnd : public testing::Test {
 protected:
  void SetUp() override {
    if (::geteuid() != 0) GTEST_SKIP() << "looking into other processes needs root";
    for (const auto& [name, kind] : {std::pair{"fine.dll", SampleKind::Fine},
                                     {"recompile.dll", SampleKind::Recompile},
                                     {"version5.dll", SampleKind::Version5},
                                     {"plain.dll", SampleKind::NoHeader}})
      samples_.push_back({folder_.Write(name, MakeSampleDll(kind)), kind});
  }

  std::vector<std::string> SamplePaths() const {
    std::vector<std::string> paths;
    for (const auto& sample : samples_) paths.push_back(sample.first);
    return paths;
  }
  SampleKind KindOf(const std::string& path) const {
    for (const auto& sample : samples_)
      if (sample.first == path) return sample.second;
    return SampleKind::NoHeader;
  }

  TempFolder folder_;
  std::vector<std::pair<std::string, SampleKind>> samples_;
};

TEST_F(HostScanEndToEnd, ReportsEveryHostWithItsMappedDlls) {
  const std::string gone = folder_.Write("gone.dll", MakeSampleDll(SampleKind::Fine));
  const std::string plain = samples_.back().first;
  SampleHost surrogate(SamplePaths());
  SampleHost webServer({"--name", "inetinfo.exe", plain, gone});
  ASSERT_TRUE(surrogate.Ready() && webServer.Ready());
  fs::remove(gone);  // still mapped, reported by its path without the deletion mark

  std::string surrogateBlock = Heading("dllhost.exe", surrogate.Pid()) + " System Package ";
  for (const std::string& path : surrogate.InMapOrder(SamplePaths()))
    surrogateBlock += ReportOf(KindOf(path), path);
  surrogateBlock += "\r\n\r\n";
  const std::string webServerBlock = Heading("inetinfo.exe", webServer.Pid()) +
                                     " System Package Unable to open: " + gone + "\r\n\r\n\r\n";

  const ChildResult result = RunQuentixExe({});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  const std::string& out = result.out;
  const std::size_t timeEnd = kBanner.size() + 26;
  ASSERT_GT(out.size(), timeEnd + Announcement().size() + kRecompileNote.size());
  EXPECT_EQ(out.substr(0, kBanner.size()), kBanner);
  EXPECT_TRUE(IsTimeLine(out.substr(kBanner.size(), 26))) << out.substr(kBanner.size(), 26);
  EXPECT_EQ(out.substr(timeEnd, Announcement().size()), Announcement());
  ASSERT_EQ(out.substr(out.size() - kRecompileNote.size()), kRecompileNote);
  // Other hosts may be running on this machine; ours are picked out by their process ids.
  const std::string middle =
      out.substr(timeEnd + Announcement().size(),
                 out.size() - kRecompileNote.size() - timeEnd - Announcement().size());
  std::vector<std::string> ours;
  for (const std::string& block : HostBlocks(middle))
    if (block.starts_with(Heading("dllhost.exe", surrogate.Pid())) ||
        block.starts_with(Heading("inetinfo.exe", webServer.Pid())))
      ours.push_back(block);
  const std::vector<std::string> expected =
      surrogate.Pid() < webServer.Pid() ? std::vector<std::string>{surrogateBlock, webServerBlock}
                                        : std::vector<std::string>{webServerBlock, surrogateBlock};
  EXPECT_EQ(ours, expected);
}

TEST_F(HostScanEndToEnd, WithoutTheCapabilityReportsTheErrorAndScansNothing) {
  const std::string setpriv = "/usr/bin/setpriv";
  if (!fs::exists(setpriv)) GTEST_SKIP() << "setpriv (util-linux) is not installed";
  SampleHost surrogate(SamplePaths());
  ASSERT_TRUE(surrogate.Ready());
  const ChildResult result = RunChild(
      setpriv,
      {setpriv, "--inh-caps=-sys_ptrace", "--bounding-set=-sys_ptrace", "--", QUENTIX_EXE_PATH});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  const std::size_t timeEnd = kBanner.size() + 26;
  ASSERT_GT(result.out.size(), timeEnd);
  EXPECT_EQ(result.out.substr(0, kBanner.size()), kBanner);
  EXPECT_TRUE(IsTimeLine(result.out.substr(kBanner.size(), 26)));
  EXPECT_EQ(result.out.substr(timeEnd), Lines({"", "Error Detected: TOKEN_ADJUST_PRIVILEGES ",
                                               "Program cannot scan IIS and running packages. "}) +
                                            kDefaultSummary);
}

}  // namespace
#endif
