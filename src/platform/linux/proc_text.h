// The text of the process tree under /proc, read as plain strings: process folder names,
// the comm file and the lines of a maps file. Pure functions, so that odd bytes can be
// tried on literal text.
#pragma once

#include <cstdint>
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

// Whether a mapping's name stands for a file a module came from: a path, but not anonymous
// or shared memory, which the kernel names as a deleted file of its own.
bool NamesMappedFile(std::string_view name);

// What the kernel adds to the path of a file that was deleted after it was mapped.
inline constexpr std::string_view DELETED_MARK = " (deleted)";

// The longest start of text of at most limit bytes that does not cut a UTF-8 character.
std::string_view CutAtCharacter(std::string_view text, std::size_t limit);

// One mapped file of a process, as a module list shows it.
struct ModuleFile {
  std::string name;  // decoded, the deleted mark still on it
  FileIdentity file;
  std::uint64_t firstStart = 0;  // the range of its first mapping
  std::uint64_t firstEnd = 0;
};

// The files of a maps text, fed one line at a time: each file once, whatever its name, in the
// order of its first mapping. Memory does not grow with the number of lines, only of files.
class ModuleFileList {
 public:
  void AddLine(std::string_view line);
  std::vector<ModuleFile>& Files() { return files_; }

 private:
  std::vector<ModuleFile> files_;
  std::set<FileIdentity> seen_;
};
