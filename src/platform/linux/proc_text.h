// The text of the process tree under /proc, read as plain strings: process folder names,
// the comm file and the lines of a maps file. Pure functions, so that odd bytes can be
// tried on literal text.
#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/win32_subset.h"

// The process id a folder of the tree names: decimal digits alone, within 32 bits. Anything
// else is not a process folder.
std::optional<DWORD> ProcessIdFromFolderName(std::string_view name);

// A process's name as its comm file holds it: the file without its one closing newline.
std::string ProcessNameFromComm(std::string_view comm);

// Which file a mapping holds, as a maps line gives it: the device numbers of its file system
// and its inode number.
struct FileIdentity {
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint64_t inode = 0;
  auto operator<=>(const FileIdentity&) const = default;
};

// One line of a maps file: the address range, the file's identity, and the rest of the line
// after the sixth field, blanks included ("" for an anonymous mapping), as the kernel wrote it.
struct MapsLine {
  std::uint64_t start = 0;
  std::uint64_t end = 0;
  FileIdentity file;
  std::string_view name;
};
std::optional<MapsLine> ParseMapsLine(std::string_view line);

// A mapping's name with the kernel's one escape undone: it writes a newline in a path as \012.
std::string DecodeMapsName(std::string_view name);

// What the kernel adds to the path of a file that was deleted after it was mapped.
inline constexpr std::string_view DELETED_MARK = " (deleted)";

// What ends a name cut to fit a module record. No path the kernel gives a file of a mounted
// file system holds an empty component, so the mark cannot be read as part of one.
inline constexpr std::string_view CUT_MARK = "//...";

// The longest start of text of at most limit bytes that does not cut a UTF-8 character.
std::string_view CutAtCharacter(std::string_view text, std::size_t limit);

// Copies text into a record's field, cut to fit at a character's start, and ends it.
template <std::size_t Size>
void CopyCut(std::string_view text, char (&field)[Size]) {
  const std::string_view cut = CutAtCharacter(text, Size - 1);
  std::memcpy(field, cut.data(), cut.size());
  field[cut.size()] = '\0';
}

// One mapped file of a process, as a module list holds it.
struct ModuleFile {
  // The name as the kernel wrote it, decoded, the deleted mark still on it: as much of it as a
  // record can show once the mark is off, and whether there was more.
  std::string name;
  bool cut = false;
  FileIdentity file;
  std::uint64_t firstStart = 0;  // the range of its first mapping
  std::uint64_t firstEnd = 0;

  // Writes into a module record's field the name it shows: without the deleted mark when the
  // file has indeed no name left, and, when that is too long for it, its first bytes and
  // CUT_MARK.
  void Show(bool deleted, char (&field)[MAX_PATH]) const;
};

// The most of a name that a module list keeps: what a record shows, and a deleted mark.
inline constexpr std::size_t NAME_KEPT = MAX_PATH - 1 + DELETED_MARK.size();

// How much of a maps line is enough to know its file: the fields (at most 128 bytes with the
// blanks before the name) and so much of the name that what is left out could never fit a
// record, as the kernel writes a byte of a name as four at most.
inline constexpr std::size_t MAPS_LINE_KEPT = 128 + 4 * (NAME_KEPT + 1);

// The files of a maps text, fed one line at a time: each file once, whatever its name, in the
// order of its first mapping; a mapping with no file behind it (the kernel gives it no device
// and no inode) is none. A line longer than MAPS_LINE_KEPT may be given by that much of its
// start, with longer set. Memory grows with the number of files alone: not with the number of
// lines, nor with the length of a name.
class ModuleFileList {
 public:
  void AddLine(std::string_view line, bool longer = false);
  std::vector<ModuleFile>& Files() { return files_; }

 private:
  std::vector<ModuleFile> files_;
  std::set<FileIdentity> seen_;
};
