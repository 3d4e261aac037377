// The parsers of the process tree's text on any bytes: the first byte is a length limit, the
// rest a maps file. Whatever the text, the module list names each file (device and inode)
// once, by the decoded name of a line that names a file, with a range that holds its first
// mapping; decoding never lengthens a name, and a cut keeps within its limit.
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

#include "platform/linux/proc_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  ProcessNameFromComm(text);
  ProcessIdFromFolderName(text);
  const std::string_view cut = CutAtCharacter(text, data[0]);
  if (cut.size() > data[0] || text.substr(0, cut.size()) != cut) std::abort();

  ModuleFileList list;
  std::set<std::string> names;
  for (std::size_t start = 0; start <= text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(start, end - start);
    list.AddLine(line);
    if (const auto parsed = ParseMapsLine(line)) {
      const std::string decoded = DecodeMapsName(parsed->name);
      if (parsed->start > parsed->end || decoded.size() > parsed->name.size()) std::abort();
      if (NamesMappedFile(parsed->name)) names.insert(decoded);
    }
    start = end + 1;
  }
  std::set<FileIdentity> seen;
  for (const ModuleFile& file : list.Files()) {
    if (!seen.insert(file.file).second || !names.count(file.name)) std::abort();
    if (file.base > file.firstStart || file.firstEnd > file.end) std::abort();
  }
  return 0;
}
