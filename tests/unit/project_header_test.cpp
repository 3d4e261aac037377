// The byte scan and verdict over buffers, at the boundaries that decide them.
#include <gtest/gtest.h>

#include <string>

#include "inspect/project_header.h"
#include "sample_dll.h"

namespace {

HeaderScan Scan(const std::string& bytes) {
  return ScanProjectHeader(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

std::string Filler(std::size_t size) {
  return std::string(size, 'x');
}

struct VerdictCase {
  const char* name;
  std::string bytes;
  DllVerdict verdict;
};

void PrintTo(const VerdictCase& verdict, std::ostream* out) {
  *out << verdict.name;
}

class VerdictTest : public testing::TestWithParam<VerdictCase> {};

TEST_P(VerdictTest, JudgesTheFirstSignature) {
  EXPECT_EQ(JudgeProjectHeader(Scan(GetParam().bytes)), GetParam().verdict);
}

const std::string kHeader14 = MakeProjectHeader(0x14);
const std::string kHeader10 = MakeProjectHeader(0x10);

INSTANTIATE_TEST_SUITE_P(
    Boundaries, VerdictTest,
    testing::Values(
        VerdictCase{"Empty", "", DllVerdict::NoHeader},
        VerdictCase{"NoSignature", Filler(5000), DllVerdict::NoHeader},
        VerdictCase{"BothFlags", kHeader14, DllVerdict::Fine},
        VerdictCase{"AllBits", MakeProjectHeader(0xFF), DllVerdict::Fine},
        VerdictCase{"RetainedOnly", kHeader10, DllVerdict::Recompile},
        VerdictCase{"UnattendedOnly", MakeProjectHeader(0x04), DllVerdict::Recompile},
        VerdictCase{"NoFlags", MakeProjectHeader(0x00), DllVerdict::Recompile},
        VerdictCase{"OtherBitsOnly", MakeProjectHeader(0xEB), DllVerdict::Recompile},
        VerdictCase{"Version5", "BRANVM50.DLL" + kHeader10, DllVerdict::Version5},
        VerdictCase{"Version5ButFine", "BRANVM50.DLL" + kHeader14, DllVerdict::Fine},
        VerdictCase{"FiveThenSix", "BRANVM50.DLL..BRANVM60.DLL" + kHeader10, DllVerdict::Recompile},
        VerdictCase{"SixThenFive", "BRANVM60.DLL..BRANVM50.DLL" + kHeader10, DllVerdict::Version5},
        VerdictCase{"FiveAfterSignature", kHeader10 + "BRANVM50.DLL", DllVerdict::Recompile},
        VerdictCase{"LowerCaseName", "branvm50.dll" + kHeader10, DllVerdict::Recompile},
        VerdictCase{"LowerCaseSignature", "br5!" + Filler(100), DllVerdict::NoHeader},
        VerdictCase{"FirstOfTwoSignatures", kHeader10 + kHeader14, DllVerdict::Recompile},
        VerdictCase{"OverlappingCandidates", "BBRANVM50.DLLBBR5" + kHeader10, DllVerdict::Version5},
        // The flags byte is the 61st byte of the header: with one byte less it is not there.
        VerdictCase{"FlagsByteIsLastByte", Filler(7) + kHeader14, DllVerdict::Fine},
        VerdictCase{"FlagsBytePastTheEnd", Filler(7) + kHeader14.substr(0, 60),
                    DllVerdict::NoHeader},
        VerdictCase{"SignatureAtTheVeryEnd", Filler(10) + "BR5!", DllVerdict::NoHeader},
        VerdictCase{"CutSignature", Filler(10) + "BR5", DllVerdict::NoHeader}),
    [](const testing::TestParamInfo<VerdictCase>& param) { return param.param.name; });

TEST(ProjectHeaderScan, RuntimeNameCountsOnlyWhenWhollyInsideTheData) {
  const std::string name = "BRANVM50.DLL";
  EXPECT_TRUE(Scan(Filler(100) + name).version5) << "name starting at n - 12";
  EXPECT_FALSE(Scan(Filler(100) + name.substr(0, 11)).version5) << "name starting at n - 11";
  EXPECT_FALSE(Scan(Filler(100) + name + "BRANVM60.DLL").version5);
  EXPECT_FALSE(Scan(MakeProjectHeader(0x10) + name).version5)
      << "a name after the signature is never seen";
}

TEST(ProjectHeaderScan, ReportsWhereTheSignatureAndFlagsLie) {
  std::string bytes = Filler(SCAN_LIMIT - 61) + MakeProjectHeader(0x14);
  ASSERT_EQ(bytes.size(), SCAN_LIMIT);
  HeaderScan scan = Scan(bytes);
  ASSERT_TRUE(scan.found);
  EXPECT_EQ(scan.signature, SCAN_LIMIT - 61);
  EXPECT_EQ(scan.flags, 0x14);

  EXPECT_FALSE(scan.flagsPastData);

  // Only what the caller hands over is looked at: the same bytes cut one short hold no verdict,
  // but the signature is marked, for the caller to take its flags byte from the file.
  scan = ScanProjectHeader(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size() - 1);
  EXPECT_FALSE(scan.found);
  EXPECT_TRUE(scan.flagsPastData);
  EXPECT_EQ(scan.signature, SCAN_LIMIT - 61);
  EXPECT_TRUE(Scan(Filler(10) + "BR5!").flagsPastData) << "a signature that ends the data";
  EXPECT_FALSE(Scan(Filler(10) + "BR5").flagsPastData) << "a signature cut by the end";
}

}  // namespace
