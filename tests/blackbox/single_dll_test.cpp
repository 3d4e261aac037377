// The single-DLL mode as an administrator sees it: the whole output, byte for byte.
#include <gtest/gtest.h>

#include "blackbox/blackbox.h"
#include "support/temp_folder.h"

namespace {

struct Outcome {
  const char* name;
  std::string bytes;
  SampleKind reported;  // the sample whose report the file gets
};

void PrintTo(const Outcome& outcome, std::ostream* out) {
  *out << outcome.name;
}

class SingleDllTest : public testing::TestWithParam<Outcome> {};

TEST_P(SingleDllTest, PrintsTheVerdictAndTheMatchingSummary) {
  TempFolder folder;
  const std::string path = folder.Write("sample.dll", GetParam().bytes);
  ChildResult result = RunQuentixExe({path});
  const SampleKind reported = GetParam().reported;
  EXPECT_EQ(result.out,
            kBanner + CheckedSample(reported, path) +
                (reported == SampleKind::Recompile ? kRecompileNote : kSingleDllSummary));
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.status, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, SingleDllTest,
    testing::Values(
        Outcome{"Fine", MakeSampleDll(SampleKind::Fine), SampleKind::Fine},
        Outcome{"Version5", MakeSampleDll(SampleKind::Version5), SampleKind::Version5},
        Outcome{"Recompile", MakeSampleDll(SampleKind::Recompile), SampleKind::Recompile},
        Outcome{"NoHeader", MakeSampleDll(SampleKind::NoHeader), SampleKind::NoHeader},
        Outcome{"Empty", "", SampleKind::NoHeader},
        Outcome{"HeaderPastTheLimit", std::string(64000, '\0') + MakeProjectHeader(0x00),
                SampleKind::NoHeader}),
    [](const testing::TestParamInfo<Outcome>& param) { return param.param.name; });

TEST(SingleDllMode, FileThatCannotBeOpenedIsNamedOnce) {
  TempFolder folder;
  for (const std::string& path :
       {(folder.Path() / "missing.dll").string(), folder.Path().string()}) {
    ChildResult result = RunQuentixExe({path});
    EXPECT_EQ(result.out, kBanner + Lines({"Unable to open: " + path}) + kSingleDllSummary);
    EXPECT_EQ(result.status, 0);
  }
}

TEST(SingleDllMode, OnlyTheFirstArgumentCounts) {
  TempFolder folder;
  const std::string path = folder.Write("x.dll", MakeSampleDll(SampleKind::Fine));
  ChildResult result = RunQuentixExe({path, "/sc", "/?"});
  EXPECT_EQ(result.out, kBanner + CheckedSample(SampleKind::Fine, path) + kSingleDllSummary);
  EXPECT_EQ(result.status, 0);
}

TEST(SingleDllMode, SwitchesOtherThanTheModesAreFileNames) {
  for (const char* argument : {"/h", "-x", "/sc2", "-?x"}) {
    ChildResult result = RunQuentixExe({argument});
    EXPECT_EQ(result.out,
              kBanner + Lines({std::string("Unable to open: ") + argument}) + kSingleDllSummary);
    EXPECT_EQ(result.status, 0);
  }
}

}  // namespace

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Files that are not plain files must neither hang the check nor be misjudged.
TEST(SingleDllMode, SpecialFilesYieldNoVerdictAndNeverBlock) {
  TempFolder folder;
  const std::string fifo = (folder.Path() / "pipe.dll").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path : {fifo, std::string("/dev/null"), std::string("/dev/zero")}) {
    ChildResult result = RunQuentixExe({path});
    EXPECT_EQ(result.out, kBanner + kSingleDllSummary) << path;
    EXPECT_EQ(result.status, 0);
  }
  // A writer holding the FIFO open with a project header in it changes nothing either.
  int writer = ::open(fifo.c_str(), O_RDWR);
  ASSERT_GE(writer, 0);
  const std::string header = MakeProjectHeader(0x00);
  ASSERT_EQ(::write(writer, header.data(), header.size()), static_cast<ssize_t>(header.size()));
  ChildResult result = RunQuentixExe({fifo});
  ::close(writer);
  EXPECT_EQ(result.out, kBanner + kSingleDllSummary);
}

}  // namespace
#endif
