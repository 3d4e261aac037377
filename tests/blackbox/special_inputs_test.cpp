// Files an administrator may point the check at by accident or by design: each gets its
// specified report, and nothing hangs (the suite's timeout fails a hang).
#if !defined(_WIN32)
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <set>
#include <filesystem>
#include <thread>

#include "blackbox/blackbox.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

TEST(SpecialInputs, SparseFileOfFourGibibytesIsJudgedByItsFirstBytes) {
  TempFolder folder;
  const std::string headed = folder.Write("headed.dll", MakeSampleDll(SampleKind::Fine));
  const std::string hollow = folder.Write("hollow.dll", "");
  for (const std::string& path : {headed, hollow}) {
    ASSERT_EQ(::truncate(path.c_str(), 4LL << 30), 0);
  }
  EXPECT_EQ(RunQuentixExe({headed}).out,
            kBanner + CheckedSample(SampleKind::Fine, headed) + kSingleDllSummary);
  EXPECT_EQ(RunQuentixExe({hollow}).out, kBanner + kSingleDllSummary);
}

TEST(SpecialInputs, PathsAreReportedByteForByte) {
  TempFolder folder;
  // A path of 4000 bytes opens; one beyond the system's limit cannot be opened.
  fs::path deep = folder.Path();
  while (deep.string().size() < 3700) deep /= std::string(200, 'd');
  fs::create_directories(deep);
  std::string name(4000 - deep.string().size() - 1, 'n');
  const std::string longPath = (deep / name).string();
  ASSERT_EQ(longPath.size(), 4000u);
  std::ofstream(longPath, std::ios::binary) << MakeSampleDll(SampleKind::Recompile);
  EXPECT_EQ(RunQuentixExe({longPath}).out,
            kBanner + CheckedSample(SampleKind::Recompile, longPath) + kRecompileNote);
  const std::string tooLong = (deep / std::string(255, 'x') / std::string(255, 'y')).string();
  EXPECT_EQ(RunQuentixExe({tooLong}).out,
            kBanner + Lines({"Unable to open: " + tooLong}) + kSingleDllSummary);

  // Bytes that are not UTF-8 pass through; a newline goes out as CR LF like every other.
  const std::string odd = folder.Write("caf\xE9\xFF.dll", MakeSampleDll(SampleKind::Fine));
  EXPECT_EQ(RunQuentixExe({odd}).out,
            kBanner + CheckedSample(SampleKind::Fine, odd) + kSingleDllSummary);
  const std::string broken = folder.Write("two\nlines.dll", MakeSampleDll(SampleKind::Fine));
  const std::string shown = (folder.Path() / "two\r\nlines.dll").string();
  EXPECT_EQ(RunQuentixExe({broken}).out,
            kBanner + CheckedSample(SampleKind::Fine, shown) + kSingleDllSummary);
}

TEST(SpecialInputs, FileWithoutReadPermissionCannotBeOpenedByAnOrdinaryUser) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to switch to an ordinary user";
  TempFolder folder;
  fs::permissions(folder.Path(), fs::perms::all);
  const std::string path = folder.Write("secret.dll", MakeSampleDll(SampleKind::Recompile));
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
  const std::string setpriv = "/usr/bin/setpriv";
  ChildResult result = RunChild(setpriv, {setpriv, "--reuid=65534", "--regid=65534",
                                          "--clear-groups", "--", QUENTIX_EXE_PATH, path});
  EXPECT_EQ(result.out, kBanner + Lines({"Unable to open: " + path}) + kSingleDllSummary);
  EXPECT_EQ(result.status, 0);
}

// A file that changes under the check: whatever moment the read sees, the report is one of
// the reports of the file's states, and the run ends normally.
TEST(SpecialInputs, FileThatChangesDuringTheRunGivesTheReportOfOneOfItsStates) {
  TempFolder folder;
  const std::string path = folder.Write("moving.dll", MakeSampleDll(SampleKind::Fine));
  const std::string other = folder.Write("other.dll", MakeSampleDll(SampleKind::Recompile));
  const std::set<std::string> allowed = {
      kBanner + CheckedSample(SampleKind::Fine, path) + kSingleDllSummary,
      kBanner + CheckedSample(SampleKind::Recompile, path) + kRecompileNote,
      kBanner + kSingleDllSummary,                                       // shrunk to nothing
      kBanner + Lines({"Unable to open: " + path}) + kSingleDllSummary,  // between the renames
  };
  std::atomic<bool> stop{false};
  std::thread changer([&] {
    const std::string fine = MakeSampleDll(SampleKind::Fine);
    for (int round = 0; !stop; ++round) {
      if (round % 2 == 0) {
        ::truncate(path.c_str(), 0);  // shrinks under an open descriptor
        std::ofstream(path, std::ios::binary | std::ios::trunc) << fine;
      } else {
        fs::copy_file(other, path + ".new", fs::copy_options::overwrite_existing);
        fs::rename(path + ".new", path);  // replaced while the name stays
      }
    }
  });
  for (int run = 0; run < 40; ++run) {
    ChildResult result = RunQuentixExe({path});
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(allowed.count(result.out)) << result.out;
  }
  stop = true;
  changer.join();
}

}  // namespace
#endif
