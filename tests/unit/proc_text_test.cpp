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

TEST(ParseMapsLine, NameIsTheWholeRestAfterTheFifthField) {
  const struct {
    const char* line;
    bool parsed;
    std::uint64_t start, end;
    const char* name;
  } cases[] = {
      {"7f00aa000000-7f00aa001000 r--p 00000000 08:01 1234     /usr/lib/libc.so.6", true,
       0x7f00aa000000, 0x7f00aa001000, "/usr/lib/libc.so.6"},
      {"00400000-00401000 r-xp 00000000 08:01 99 /opt/Program Files/app x.dll", true, 0x400000,
       0x401000, "/opt/Program Files/app x.dll"},
      {"00400000-00401000 r-xp 00000000 08:01 99 /tail blank ", true, 0x400000, 0x401000,
       "/tail blank "},
      {"7ffd0000-7ffd1000 rw-p 00000000 00:00 0                          [stack]", true, 0x7ffd0000,
       0x7ffd1000, "[stack]"},
      {"7ffd0000-7ffd1000 rw-p 00000000 00:00 0", true, 0x7ffd0000, 0x7ffd1000, ""},
      {"7ffd0000-7ffd1000 rw-p 00000000 00:00", false, 0, 0, ""},
      {"7ffd0000 rw-p 00000000 00:00 0 /x", false, 0, 0, ""},
      {"7ffd1000-7ffd0000 rw-p 00000000 00:00 0 /x", false, 0, 0, ""},
      {"7ffg0000-7ffd1000 rw-p 00000000 00:00 0 /x", false, 0, 0, ""},
      {"", false, 0, 0, ""},
  };
  for (const auto& c : cases) {
    const std::optional<MapsLine> line = ParseMapsLine(c.line);
    ASSERT_EQ(line.has_value(), c.parsed) << c.line;
    if (!line) continue;
    EXPECT_EQ(line->start, c.start) << c.line;
    EXPECT_EQ(line->end, c.end) << c.line;
    EXPECT_EQ(line->name, c.name) << c.line;
  }
}

TEST(MappedFilePath, KeepsFilesAndDropsMemory) {
  const struct {
    const char* name;
    const char* path;
  } cases[] = {{"/usr/lib/x.so", "/usr/lib/x.so"},
               {"/tmp/gone.dll (deleted)", "/tmp/gone.dll"},
               {"/tmp/with blank", "/tmp/with blank"},
               {" (deleted)", ""},
               {"[heap]", ""},
               {"[vdso]", ""},
               {"", ""},
               {"anon_inode:[perf_event]", ""},
               {"/dev/zero (deleted)", ""},
               {"/SYSV0000002a (deleted)", ""},
               {"/memfd:wine-mapping (deleted)", ""},
               {"/dev/zero", "/dev/zero"},
               {"/memfd:plain file", "/memfd:plain file"}};
  for (const auto& c : cases) EXPECT_EQ(MappedFilePath(c.name), c.path) << c.name;
}

std::string Line(const char* range, const std::string& name) {
  return std::string(range) + " r--p 00000000 08:01 7 " + name + "\n";
}

std::vector<std::string> PathsOf(const std::vector<ModuleFile>& files) {
  std::vector<std::string> paths;
  for (const ModuleFile& file : files) paths.push_back(file.path);
  return paths;
}

TEST(ModuleFilesFromMaps, EachFileOnceInAddressOrderWithTheProgramFirst) {
  const std::string maps = Line("1000-2000", "/lib/a.so") + Line("2000-3000", "/lib/b.so") +
                           Line("3000-4000", "[heap]") + Line("4000-5000", "/lib/a.so") +
                           Line("5000-6000", "/bin/host") + Line("6000-7000", "") +
                           Line("7000-8000", "/bin/host") + "garbage line\n" +
                           Line("8000-9000", "/lib/c.so (deleted)");
  const std::vector<ModuleFile> files = ModuleFilesFromMaps(maps, "/bin/host");
  EXPECT_EQ(PathsOf(files),
            (std::vector<std::string>{"/bin/host", "/lib/a.so", "/lib/b.so", "/lib/c.so"}));
  ASSERT_EQ(files.size(), 4u);
  EXPECT_EQ(files[0].base, 0x5000u);
  EXPECT_EQ(files[0].end, 0x8000u);
  EXPECT_EQ(files[1].base, 0x1000u);
  EXPECT_EQ(files[1].end, 0x5000u);
  // An unknown or unmapped program changes nothing; a last line without newline counts.
  EXPECT_EQ(PathsOf(ModuleFilesFromMaps(Line("1000-2000", "/a") + "2000-3000 r--p 0 0:0 1 /b",
                                        "/elsewhere")),
            (std::vector<std::string>{"/a", "/b"}));
}

TEST(ModuleFilesFromMaps, PassesOverPathsThatDoNotFitTheRecord) {
  const std::string fits = "/" + std::string(MAX_PATH - 2, 'f');     // 259 bytes
  const std::string tooLong = "/" + std::string(MAX_PATH - 1, 'l');  // 260 bytes
  const std::string maps = Line("1000-2000", tooLong) + Line("2000-3000", fits) +
                           Line("3000-4000", tooLong + " (deleted)");
  EXPECT_EQ(PathsOf(ModuleFilesFromMaps(maps, tooLong)), (std::vector<std::string>{fits}));
}

}  // namespace
#endif
