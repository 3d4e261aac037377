// The text of the process tree under /proc, read as plain strings: process folder names,
// the comm file and the lines of a maps file. Pure functions, so that odd bytes can be
// tried on literal text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/win32_subset.h"

// The process id a folder of the tree names: decimal digits alone, no sign and no leading
// zero, within 32 bits. Anything else is not a process folder.
std::optional<DWORD> ProcessIdFromFolderName(std::string_view name);

// A process's name as its comm file holds it: the file without its one closing newline.
std::string ProcessNameFromComm(std::string_view comm);

// One line of a maps file: the address range and the rest of the line after the fifth field,
// blanks included ("" for an anonymous mapping).
struct MapsLine {
  std::uint64_t start = 0;
  std::uint64_t end = 0;
  std::string_view name;
};
std::optional<MapsLine> ParseMapsLine(std::string_view line);

// The file a mapping's name stands for, without the " (deleted)" mark; "" when the mapping
// is not backed by a file at all ([heap], [stack], [vdso], anonymous memory and the like).
std::string_view MappedFilePath(std::string_view name);

// One loaded file of a process, as a module list shows it.
struct ModuleFile {
  std::string path;
  std::uint64_t base = 0;  // lowest address of its mappings
  std::uint64_t end = 0;   // highest end of its mappings
};

// The files a maps text names: each file once, in the order of its first mapping, except
// that the program's own file (exePath) comes first. A path that does not fit a module
// record, terminator included, is left out rather than cut into another file's name.
std::vector<ModuleFile> ModuleFilesFromMaps(std::string_view maps, std::string_view exePath);
