// Reading the process tree's text: folder names, comm files and maps lines.
#if !defined(_WIN32)
#include <gtest/gtest.h>

#include <string>

#include "platform/linux/proc_text.h"

namespace {

TEST(ProcessIdFromFolderName, TakesPlainDecimalNumbersWithinThirtyTwoBits) {
  const struct {
    const char* name;
    std::optional<DWORD> id;
  } cases[] = {{"1", 1u},          {"0", 0u},           {"4294967295", 4294967295u},
               {"4294967296", {}}, {"12345678901", {}}, {"007", {}},
               {"self", {}},       {"12a", {}},         {"", {}},
               {"-1", {}},         {"+5", {}},          {" 5", {}}};
  for (const auto& c : cases) EXPECT_EQ(ProcessIdFromFolderName(c.name), c.id) << c.name;
}

TEST(ProcessNameFromComm, DropsOneClosingNewlineAndKeepsEverythingElse) {
  EXPECT_EQ(ProcessNameFromComm("dllhost.exe\n"), "dllhost.exe");
  EXPECT_EQ(ProcessNameFromComm("dllhost.exe"), "dllhost.exe");
  EXPECT_EQ(ProcessNameFromComm("two\n\n"), "two\n");
  EXPECT_EQ(ProcessNameFromComm("a b\\c\n"), "a b\\c");
  EXPECT_EQ(ProcessNameFromComm("\n"), "");
}

TEST(ParseMapsLine, TakesRangeDeviceInodeAndTheWholeRestAsName) {
  const struct {
    const char* line;
    bool parsed;
    std::uint64_t start, end;
    FileIdentity file;
    const char* name;
  } cases[] = {
      {"7f00aa000000-7f00aa001000 r--p 00000000 08:01 1234     /usr/lib/libc.so.6",
       true,
       0x7f00aa000000,
       0x7f00aa001000,
       {8, 1, 1234},
       "/usr/lib/libc.so.6"},
      {"00400000-00401000 r-xp 00000000 103:1f 18446744073709551615 /opt/a x.dll (deleted)",
       true,
       0x400000,
       0x401000,
       {0x103, 0x1f, 18446744073709551615u},
       "/opt/a x.dll (deleted)"},
      {"00400000-00401000 r-xp 00000000 fe:00 99 /tail blank ",
       true,
       0x400000,
       0x401000,
       {0xfe, 0, 99},
       "/tail blank "},
      {"7ffd0000-7ffd1000 rw-p 00000000 00:00 0                          [stack]",
       true,
       0x7ffd0000,
       0x7ffd1000,
       {},
       "[stack]"},
      {"7ffd0000-7ffd1000 rw-p 00000000 00:00 0", true, 0x7ffd0000, 0x7ffd1000, {}, ""},
      {"7ffd0000-7ffd1000 rw-p 00000000 00:00", false, 0, 0, {}, ""},
      {"7ffd0000-7ffd1000 rw-p 00000000 0000 7 /x", false, 0, 0, {}, ""},
      {"7ffd0000-7ffd1000 rw-p 00000000 08:0g 7 /x", false, 0, 0, {}, ""},
      {"7ffd0000-7ffd1000 rw-p 00000000 08:01 7a /x", false, 0, 0, {}, ""},
      {"7ffd0000-7ffd1000 rw-p 00000000 08:01 184467440737095516150 /x", false, 0, 0, {}, ""},
      {"7ffd0000 rw-p 00000000 00:00 0 /x", false, 0, 0, {}, ""},
      {"7ffd1000-7ffd0000 rw-p 00000000 00:00 0 /x", false, 0, 0, {}, ""},
      {"7ffg0000-7ffd1000 rw-p 00000000 00:00 0 /x", false, 0, 0, {}, ""},
      {"", false, 0, 0, {}, ""},
  };
  for (const auto& c : cases) {
    const std::optional<MapsLine> line = ParseMapsLine(c.line);
    ASSERT_EQ(line.has_value(), c.parsed) << c.line;
    if (!line) continue;
    EXPECT_EQ(line->start, c.start) << c.line;
    EXPECT_EQ(line->end, c.end) << c.line;
    EXPECT_TRUE(line->file == c.file) << c.line;
    EXPECT_EQ(line->name, c.name) << c.line;
  }
}

TEST(MapsNames, EscapesAreUndoneAndOnlyFilesCount) {
  const struct {
    const char* name;
    const char* decoded;
    bool file;
  } cases[] = {{"/a\\012b\\015c.dll", "/a\nb\rc.dll", true},
               {"/x\\134\\0\\08\\400\\377", "/x\\\\0\\08\\400\xff", true},
               {"/tmp/gone.dll (deleted)", "/tmp/gone.dll (deleted)", true},
               {"[heap]", "[heap]", false},
               {"", "", false},
               {"anon_inode:[perf_event]", "anon_inode:[perf_event]", false},
               {" (deleted)", " (deleted)", false},
               {"/ (deleted)", "/ (deleted)", true},
               {"/dev/zero (deleted)", "/dev/zero (deleted)", false},
               {"/SYSV0000002a (deleted)", "/SYSV0000002a (deleted)", false},
               {"/memfd:wine-mapping (deleted)", "/memfd:wine-mapping (deleted)", false},
               {"/anon_hugepage (deleted)", "/anon_hugepage (deleted)", false},
               {"/dev/zero", "/dev/zero", true}};
  for (const auto& c : cases) {
    EXPECT_EQ(DecodeMapsName(c.name), c.decoded) << c.name;
    EXPECT_EQ(NamesMappedFile(c.name), c.file) << c.name;
  }
}

TEST(CutAtCharacter, NeverEndsInsideAUtf8Character) {
  const struct {
    const char* text;
    std::size_t limit;
    const char* cut;
  } cases[] = {{"abc", 3, "abc"},
               {"abcd", 3, "abc"},
               {"ab\xc3\xa9", 3, "ab"},
               {"a\xe2\x82\xac", 3, "a"},
               {"\xf0\x9f\x98\x80x", 4, "\xf0\x9f\x98\x80"},
               {"\xf0\x9f\x98\x80", 3, ""},
               {"a\x80\x80\x80\x80", 4, "a"}};
  for (const auto& c : cases) EXPECT_EQ(CutAtCharacter(c.text, c.limit), c.cut) << c.text;
}

std::string Line(const char* range, const char* identity, const std::string& name) {
  return std::string(range) + " r--p 00000000 " + identity + " " + name;
}

TEST(ModuleFileList, EachFileOnceByIdentityInTheOrderOfItsFirstMapping) {
  ModuleFileList list;
  for (const std::string& line :
       {Line("5000-6000", "08:01 7", "/lib/a\\012.so"), Line("1000-2000", "08:01 8", "/lib/b.so"),
        Line("3000-4000", "00:00 0", "[heap]"), Line("2000-3000", "08:01 7", "/lib/a.so"),
        Line("7000-8000", "08:02 7", "/lib/a\\012.so"), std::string("garbage line"),
        Line("8000-9000", "08:01 8", "/lib/b.so (deleted)"),
        Line("9000-a000", "00:01 4", "/dev/zero (deleted)")})
    list.AddLine(line);
  const std::vector<ModuleFile>& files = list.Files();
  ASSERT_EQ(files.size(), 3u);
  const struct {
    const char* name;
    FileIdentity file;
    std::uint64_t base, end, firstStart, firstEnd;
  } expected[] = {{"/lib/a\n.so", {8, 1, 7}, 0x2000, 0x6000, 0x5000, 0x6000},
                  {"/lib/b.so", {8, 1, 8}, 0x1000, 0x9000, 0x1000, 0x2000},
                  {"/lib/a\n.so", {8, 2, 7}, 0x7000, 0x8000, 0x7000, 0x8000}};
  for (std::size_t i = 0; i < files.size(); ++i) {
    EXPECT_EQ(files[i].name, expected[i].name) << i;
    EXPECT_TRUE(files[i].file == expected[i].file) << i;
    EXPECT_EQ(files[i].base, expected[i].base) << i;
    EXPECT_EQ(files[i].end, expected[i].end) << i;
    EXPECT_EQ(files[i].firstStart, expected[i].firstStart) << i;
    EXPECT_EQ(files[i].firstEnd, expected[i].firstEnd) << i;
  }
}

}  // namespace
#endif
