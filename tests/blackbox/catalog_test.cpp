// Catalog mode as an administrator sees it: the catalog block after the time line, then the
// running-host scan, then the summary that fits what both found.
// Linux only: there no COM+ catalog exists, and a test harness registers a fake one; the
// Windows test bed registers its own catalog server instead.
#if !defined(_WIN32)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "blackbox/blackbox.h"
#include "report/system_info.h"
#include "support/temp_folder.h"

namespace {

std::string Announcement() {
  return Lines(
      {"", "Opening the COM+ catalog on " + std::string(LocalSystem.MachineName) + "...", ""});
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

// quentix with the fake catalog of data registered in its process (tests/tools).
ChildResult RunWithCatalog(const TempFolder& folder, const std::string& data,
                           const std::vector<std::string>& arguments) {
  const std::string helper = std::string(QUENTIX_TEST_TOOLS_DIR) + "/tools/quentix_with_fakes";
  std::vector<std::string> argv{helper, folder.Write("catalog.txt", data)};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return RunChild(helper, argv);
}

TEST(CatalogMode, WithoutACatalogTheAnnouncementLeadsStraightToTheHostScan) {
  const ChildResult result = RunQuentixExe({"/sc"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  const std::string report = AfterTheTimeLine(result);
  const std::string announcement = Announcement();
  ASSERT_EQ(report.substr(0, announcement.size()), announcement);
  EXPECT_TRUE(StartsTheHostScan(report.substr(announcement.size()))) << report;
  EXPECT_TRUE(report.ends_with(SummaryFor(report))) << report;
}

TEST(CatalogMode, FileToRecompileFoundOnlyByTheHostScanStillGivesTheNote) {
  TempFolder folder;
  const std::string path = folder.Write("hosted.dll", MakeSampleDll(SampleKind::Recompile));
  SampleHost host({path});
  ASSERT_TRUE(host.Ready());
  const ChildResult result = RunQuentixExe({"/sc"});
  EXPECT_EQ(result.status, 0);
  const std::string report = AfterTheTimeLine(result);
  if (report.find("Error Detected: TOKEN_ADJUST_PRIVILEGES") != std::string::npos)
    GTEST_SKIP() << "the host scan cannot run here";
  EXPECT_NE(report.find("       " + path + " <<< Please Recompile!\r\n"), std::string::npos)
      << report;
  EXPECT_TRUE(report.ends_with(kRecompileNote));
}

TEST(CatalogMode, CatalogBlockListsEveryApplicationWithItsOwnComponents) {
  TempFolder folder;
  const std::string fine = folder.Write("fine.dll", MakeSampleDll(SampleKind::Fine));
  const std::string recompile = folder.Write("old.dll", MakeSampleDll(SampleKind::Recompile));
  const std::string version5 = folder.Write("v5.dll", MakeSampleDll(SampleKind::Version5));
  const std::string missing = (folder.Path() / "gone.dll").string();
  // The file to recompile belongs to the second of two applications of one name.
  const auto quoted = [](const std::string& path) { return " dll \"" + path + "\"\n"; };
  const std::string data = "application \"Web Shop\"\ncomponent \"Shop.Cart\"" + quoted(fine) +
                           "application \"Web Shop\"\ncomponent \"Shop.Legacy\"" +
                           quoted(recompile) + "component \"Shop.Report\"" + quoted(version5) +
                           "application \"Idle\"\ncomponent \"Idle.Gone\"" + quoted(missing);
  const ChildResult result = RunWithCatalog(folder, data, {"-sc"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  const std::string block =
      Announcement() + Lines({"Scanning Web Shop (1 component)", "   ProgID: Shop.Cart"}) +
      CheckedSample(SampleKind::Fine, fine) +
      Lines({"", "Scanning Web Shop (2 components)", "   ProgID: Shop.Legacy"}) +
      CheckedSample(SampleKind::Recompile, recompile) + Lines({"   ProgID: Shop.Report"}) +
      CheckedSample(SampleKind::Version5, version5) +
      Lines({"", "Scanning Idle (1 component)", "   ProgID: Idle.Gone",
             "Unable to open: " + missing, ""});
  const std::string report = AfterTheTimeLine(result);
  ASSERT_EQ(report.substr(0, block.size()), block);
  EXPECT_TRUE(StartsTheHostScan(report.substr(block.size())));
  EXPECT_TRUE(report.ends_with(kRecompileNote));
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
  EXPECT_EQ(AfterTheTimeLine(result),
            Announcement() + Lines({"Scanning Batch (2 components)", "   ProgID: Batch.Odd"}));
}

}  // namespace
#endif
