// The default mode against real host processes: sample hosts holding sample DLLs mapped,
// scanned by the built quentix as root, and again without the capability to look into them.
#if !defined(_WIN32)
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "blackbox/blackbox.h"
#include "report/system_info.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

std::string Announcement() {
  return Lines(
      {"", "Scanning IIS, all Medium & High Isolation web applications",
       "and all running COM+ server packages on " + std::string(LocalSystem.MachineName) + "...",
       ""});
}

std::string Heading(const std::string& name, pid_t pid) {
  return "Scanning " + name + " (PID:" + std::to_string(pid) + ") ";
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
                                     {"plain.dll", SampleKind::NoHeader}}) {
      paths_.push_back(folder_.Write(name, MakeSampleDll(kind)));
      kinds_[paths_.back()] = kind;
    }
  }

  TempFolder folder_;
  std::vector<std::string> paths_;  // the sample files, the one without a header last
  std::map<std::string, SampleKind> kinds_;
};

TEST_F(HostScanEndToEnd, ReportsEveryHostWithItsMappedDlls) {
  const std::string gone = folder_.Write("gone.dll", MakeSampleDll(SampleKind::Fine));
  const std::string plain = paths_.back();
  SampleHost surrogate(paths_);
  SampleHost webServer({"--name", "inetinfo.exe", plain, gone});
  ASSERT_TRUE(surrogate.Ready() && webServer.Ready());
  fs::remove(gone);  // still mapped, reported by its path without the deletion mark

  std::string surrogateBlock = Heading("dllhost.exe", surrogate.Pid()) + " System Package ";
  for (const std::string& path : surrogate.InMapOrder(paths_))
    surrogateBlock += CheckedSample(kinds_.at(path), path);
  surrogateBlock += "\r\n\r\n";
  const std::string webServerBlock = Heading("inetinfo.exe", webServer.Pid()) +
                                     " System Package Unable to open: " + gone + "\r\n\r\n\r\n";

  const ChildResult result = RunQuentixExe({});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  const std::string report = AfterTheTimeLine(result);
  ASSERT_TRUE(report.starts_with(Announcement()) && report.ends_with(kRecompileNote)) << report;
  // Other hosts may be running on this machine; ours are picked out by their process ids.
  const std::string middle = report.substr(
      Announcement().size(), report.size() - Announcement().size() - kRecompileNote.size());
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
  SampleHost surrogate(paths_);
  ASSERT_TRUE(surrogate.Ready());
  const ChildResult result = RunChild(
      setpriv,
      {setpriv, "--inh-caps=-sys_ptrace", "--bounding-set=-sys_ptrace", "--", QUENTIX_EXE_PATH});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(AfterTheTimeLine(result), Lines({"", "Error Detected: TOKEN_ADJUST_PRIVILEGES ",
                                             "Program cannot scan IIS and running packages. "}) +
                                          kDefaultSummary);
}

}  // namespace
#endif
