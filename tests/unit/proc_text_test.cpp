// Reading the process tree's text: folder names, comm files and maps lines.
#if !defined(_WIN32)
#include <gtest/gtest.h>

#include <sstream>
#include <tuple>

#include "platform/linux/proc_text.h"

namespace {

using namespace std::literals;

TEST(ProcText, FolderNamesAndCommFiles) {
  const std::pair<const char*, std::optional<DWORD>> ids[] = {
      {"1", 1u}, {"4294967295", 4294967295u}, {"4294967296", {}}, {"12a", {}}, {"", {}},
      {"-1", {}}};
  for (const auto& [name, id] : ids) EXPECT_EQ(ProcessIdFromFolderName(name), id) << name;
  const std::pair<const char*, const char*> names[] = {
      {"dllhost.exe\n", "dllhost.exe"}, {"dllhost.exe", "dllhost.exe"}, {"two\n\n", "two\n"}};
  for (const auto& [comm, name] : names) EXPECT_EQ(ProcessNameFromComm(comm), name) << comm;
}

// A maps line as "start-end major:minor inode |name|", or "-" for a text that is not one.
std::string Shown(std::optional<MapsLine> line) {
  if (!line) return "-";
  std::ostringstream shown;
  shown << std::hex << line->start << '-' << line->end << ' ' << line->file.major << ':'
        << line->file.minor << std::dec << ' ' << line->file.inode << " |" << line->name << '|';
  return shown.str();
}

TEST(ProcText, MapsLinesGiveRangeDeviceInodeAndTheWholeRestAsName) {
  const std::pair<const char*, const char*> cases[] = {
      {"7f00aa000000-7f00aa001000 r--p 00000000 08:01 1234     /usr/lib/libc.so.6",
       "7f00aa000000-7f00aa001000 8:1 1234 |/usr/lib/libc.so.6|"},
      {"400000-401000 r-xp 00000000 103:1f 18446744073709551615 /a x.dll (deleted) ",
       "400000-401000 103:1f 18446744073709551615 |/a x.dll (deleted) |"},
      {"7ffd0000-7ffd1000 rw-p 00000000 00:00 0", "7ffd0000-7ffd1000 0:0 0 ||"},
      {"7ffd0000-7ffd1000 rw-p 00000000 00:00", "-"},
      {"7ffd0000-7ffd1000 rw-p 00000000 0000 7 /x", "-"},
      {"7ffd0000-7ffd1000 rw-p 00000000 08:0g 7 /x", "-"},
      {"7ffg0000-7ffd1000 rw-p 00000000 00:00 0 /x", "-"},
      {"7ffd0000-7ffd1000 rw-p", "-"},
      {"", "-"}};
  for (const auto& [line, shown] : cases) EXPECT_EQ(Shown(ParseMapsLine(line)), shown) << line;
}

TEST(ProcText, NamesAreDecodedAndShownCutToFitARecord) {
  EXPECT_EQ(DecodeMapsName("/a\\012b\\012\\015c.dll"), "/a\nb\n\\015c.dll");
  const std::tuple<std::string_view, std::size_t, const char*> cuts[] = {
      {"abc", 3, "abc"},
      {"ab\x80"sv.substr(0, 2), 2, "ab"},
      {"abcd", 3, "abc"},
      {"ab\xc3\xa9", 3, "ab"},
      {"\xf0\x9f\x98\x80x", 4, "\xf0\x9f\x98\x80"},
      {"\xf0\x9f\x98\x80", 3, ""},
      {"a\x80\x80\x80\x80", 4, "a"}};
  for (const auto& [text, limit, cut] : cuts) EXPECT_EQ(CutAtCharacter(text, limit), cut) << text;
  // A record shows MAX_PATH - 1 bytes; a name cut to fit ends in the mark, at a character.
  const std::string full(MAX_PATH - 1, 'a'), room(MAX_PATH - 1 - CUT_MARK.size(), 'a');
  const std::tuple<std::string, bool, bool, std::string> names[] = {
      {"/a.dll (deleted)", false, true, "/a.dll"},
      {"/a.dll (deleted)", false, false, "/a.dll (deleted)"},
      {full + " (deleted)", false, true, full},
      {full + " (deleted)", false, false, room + "//..."},
      {full + "a", false, false, room + "//..."},
      {room.substr(1) + "\xc3\xa9", false, false, room.substr(1) + "\xc3\xa9"},
      {room.substr(1) + "\xc3\xa9" + "aaaaa", false, false, room.substr(1) + "//..."},
      {"/a.dll (deleted)", true, true, "/a.dll (deleted)//..."}};
  for (const auto& [name, cut, deleted, shown] : names) {
    char field[MAX_PATH];
    ModuleFile{name, cut, {}, 0, 0}.Show(deleted, field);
    EXPECT_EQ(field, shown) << name << deleted;
  }
}

// Every mapping with a file behind it counts, whatever its name says: the kernel gives one
// with none no device and no inode.
TEST(ProcText, EachFileOnceByIdentityInTheOrderOfItsFirstMapping) {
  ModuleFileList list;
  for (const char* line :
       {"5000-6000 r--p 0 08:01 7 /lib/a\\012.so", "1000-2000 r--p 0 08:01 8 /lib/b.so",
        "2000-3000 r--p 0 08:01 7 /lib/a.so", "7000-8000 r--p 0 08:02 7 /lib/a\\012.so",
        "8000-9000 r--p 0 08:01 8 /lib/b.so (deleted)", "9000-a000 rw-p 0 00:00 0 /x.dll",
        "a000-b000 r--s 0 00:01 4 /memfd:x (deleted)", "b000-c000 r--p 0 00:01 5 anon_inode:x"})
    list.AddLine(line);
  list.AddLine("c000-d000 r--p 0 08:01 9 /" + std::string(NAME_KEPT, 'l'), true);
  list.AddLine("d000-e000 r--p 0 08:01 10 /" + std::string(NAME_KEPT - 1, 'k'));
  std::vector<std::string> files;
  for (const ModuleFile& file : list.Files())
    files.push_back(Shown(MapsLine{file.firstStart, file.firstEnd, file.file, file.name}) +
                    (file.cut ? " cut" : ""));
  EXPECT_EQ(files, (std::vector<std::string>{
                       "5000-6000 8:1 7 |/lib/a\n.so|", "1000-2000 8:1 8 |/lib/b.so|",
                       "7000-8000 8:2 7 |/lib/a\n.so|", "a000-b000 0:1 4 |/memfd:x (deleted)|",
                       "b000-c000 0:1 5 |anon_inode:x|",
                       "c000-d000 8:1 9 |/" + std::string(NAME_KEPT - 1, 'l') + "| cut",
                       "d000-e000 8:1 10 |/" + std::string(NAME_KEPT - 1, 'k') + "|"}));
}

}  // namespace
#endif
