// Catalog mode as an administrator sees it: the catalog block after the time line, then the
// running-host scan, then the summary that fits what both found.
// Linux only: there no COM+ catalog exists, and a test harness registers a fake one; the
// Windows test bed registers its own catalog server instead.
#if !defined(_WIN32)
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "blackbox/blackbox.h"
#include "platform/win32.h"
#include "sample_dll.h"
#include "support/temp_folder.h"

extern char** environ;

namespace {

std::string MachineName() {
  char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof name;
  return GetComputerNameA(name, &size) ? name : "";
}

std::string Announcement() {
  return Lines({"", "Opening the COM+ catalog on " + MachineName() + "...", ""});
}

// What follows the banner and the time line ("Www Mmm dd hh:mm:ss yyyy" and its line end).
std::string AfterTimeLine(const ChildResult& result) {
  const std::size_t start = kBanner.size() + 26;
  EXPECT_EQ(result.out.substr(0, kBanner.size()), kBanner);
  EXPECT_EQ(result.out.substr(start - 2, 2), "\r\n");
  return result.out.size() < start ? "" : result.out.substr(start);
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The host scan starts with its own announcement, or with the report that it cannot run.
bool StartsTheHostScan(const std::string& text) {
  for (const std::string& start :
       {Lines({"", "Scanning IIS, all Medium & High Isolation web applications"}),
        Lines({"", "Error Detected: TOKEN_ADJUST_PRIVILEGES "})})
    if (text.compare(0, start.size(), start) == 0) return true;
  return false;
}

// The summary depends on what the whole run found, the host scan included.
std::string SummaryFor(const std::string& report) {
  return report.find(" <<< Please Recompile!\r\n") != std::string::npos ? kRecompileNote
                                                                        : kCatalogSummary;
}

std::string ToolPath(const std::string& relative) {
  return std::string(QUENTIX_TEST_TOOLS_DIR) + "/" + relative;
}

// quentix with the fake catalog of data registered in its process (tests/tools).
ChildResult RunWithCatalog(const TempFolder& folder, const std::string& data,
                           const std::vector<std::string>& arguments) {
  const std::string helper = ToolPath("tools/quentix_with_fakes");
  std::vector<std::string> argv{helper, folder.Write("catalog.txt", data)};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return RunChild(helper, argv);
}

// A stand-in host process holding the given file mapped, for as long as this object lives.
class SampleHost {
 public:
  explicit SampleHost(const std::string& file) {
    int ready[2];
    if (::pipe(ready) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ready[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, ready[0]);
    const std::string program = ToolPath("../tools/sample_host");
    std::vector<char*> argv{const_cast<char*>(program.c_str()), const_cast<char*>(file.c_str()),
                            nullptr};
    if (::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0)
      pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(ready[1]);
    char line[6] = {};
    running_ =
        pid_ > 0 && ::read(ready[0], line, sizeof line) == 6 && std::string(line, 6) == "ready\n";
    ::close(ready[0]);
  }
  SampleHost(const SampleHost&) = delete;
  SampleHost& operator=(const SampleHost&) = delete;
  ~SampleHost() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  bool Running() const { return running_; }

 private:
  pid_t pid_ = -1;
  bool running_ = false;
};

TEST(CatalogMode, WithoutACatalogTheAnnouncementLeadsStraightToTheHostScan) {
  const ChildResult result = RunQuentixExe({"/sc"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  const std::string report = AfterTimeLine(result);
  const std::string announcement = Announcement();
  ASSERT_EQ(report.substr(0, announcement.size()), announcement);
  EXPECT_TRUE(StartsTheHostScan(report.substr(announcement.size()))) << report;
  EXPECT_TRUE(EndsWith(report, SummaryFor(report))) << report;
}

TEST(CatalogMode, FileToRecompileFoundOnlyByTheHostScanStillGivesTheNote) {
  TempFolder folder;
  const std::string path = folder.Write("hosted.dll", MakeSampleDll(SampleKind::Recompile));
  SampleHost host(path);
  ASSERT_TRUE(host.Running());
  const ChildResult result = RunQuentixExe({"/sc"});
  EXPECT_EQ(result.status, 0);
  const std::string report = AfterTimeLine(result);
  if (report.find("Error Detected: TOKEN_ADJUST_PRIVILEGES") != std::string::npos)
    GTEST_SKIP() << "the host scan cannot run here";
  EXPECT_NE(report.find("       " + path + " <<< Please Recompile!\r\n"), std::string::npos)
      << report;
  EXPECT_TRUE(EndsWith(report, kRecompileNote));
}

TEST(CatalogMode, CatalogBlockListsEveryApplicationWithItsOwnComponents) {
  TempFolder folder;
  const std::string fine = folder.Write("fine.dll", MakeSampleDll(SampleKind::Fine));
  const std::string recompile = folder.Write("old.dll", MakeSampleDll(SampleKind::Recompile));
  const std::string version5 = folder.Write("v5.dll", MakeSampleDll(SampleKind::Version5));
  const std::string missing = (folder.Path() / "gone.dll").string();
  // The file to recompile belongs to the second of two applications of one name.
  const std::string data =
      "application \"Web Shop\"\n"
      "component \"Shop.Cart\" dll \"" +
      fine +
      "\"\n"
      "application \"Web Shop\"\n"
      "component \"Shop.Legacy\" dll \"" +
      recompile +
      "\"\n"
      "component \"Shop.Report\" dll \"" +
      version5 +
      "\"\n"
      "application \"Idle\"\n"
      "component \"Idle.Gone\" dll \"" +
      missing + "\"\n";
  const ChildResult result = RunWithCatalog(folder, data, {"-sc"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  const std::string block =
      Announcement() + Lines({"Scanning Web Shop (1 component)",
                              "   ProgID: Shop.Cart",
                              "",
                              fine + " is fine...",
                              "      Retained In Memory   :ON ",
                              "      Unattended Execution :ON ",
                              "",
                              "Scanning Web Shop (2 components)",
                              "   ProgID: Shop.Legacy",
                              "      Retained In Memory   :ON ",
                              "      Unattended Execution :OFF ",
                              "       " + recompile + " <<< Please Recompile!",
                              "   ProgID: Shop.Report",
                              "",
                              version5 + " is a BR5 file...",
                              "",
                              "Scanning Idle (1 component)",
                              "   ProgID: Idle.Gone",
                              "Unable to open: " + missing,
                              ""});
  const std::string report = AfterTimeLine(result);
  ASSERT_EQ(report.substr(0, block.size()), block);
  EXPECT_TRUE(StartsTheHostScan(report.substr(block.size())));
  EXPECT_TRUE(EndsWith(report, kRecompileNote));
}

TEST(CatalogMode, DllValueWithoutTextEndsTheRunWithStatusThree) {
  TempFolder folder;
  const ChildResult result = RunWithCatalog(folder,
                                            "application \"Batch\"\n"
                                            "component \"Batch.Odd\" dll null\n"
                                            "component \"Batch.Next\" dll \"\"\n",
                                            {"/sc"});
  EXPECT_EQ(result.status, 3);
  EXPECT_EQ(result.err, kTerminationText);
  EXPECT_EQ(AfterTimeLine(result),
            Announcement() + Lines({"Scanning Batch (2 components)", "   ProgID: Batch.Odd"}));
}

}  // namespace
#endif
