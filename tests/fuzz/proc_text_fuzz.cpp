// The maps parsers on any bytes: the first byte is a length limit, the rest a maps file. The
// module list names each file (device and inode) once, by the start of the decoded name of its
// first line; decoding never lengthens a name, a cut keeps within its limit, and a name shown
// in a record fits it, whole or marked as cut.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <set>

#include "platform/linux/proc_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::string_view cut = CutAtCharacter(text, data[0]);
  if (cut.size() > data[0] || !text.starts_with(cut)) std::abort();
  ModuleFileList list;
  std::set<std::string> names;
  for (std::size_t start = 0, end = 0; end != std::string_view::npos; start = end + 1) {
    end = text.find('\n', start);
    const std::string_view line = text.substr(start, end - start);
    list.AddLine(line);
    const auto parsed = ParseMapsLine(line);
    if (!parsed) continue;
    const std::string decoded = DecodeMapsName(parsed->name);
    if (decoded.size() > parsed->name.size()) std::abort();
    names.insert(decoded.substr(0, NAME_KEPT));
  }
  std::set<FileIdentity> seen;
  for (const ModuleFile& file : list.Files()) {
    if (!seen.insert(file.file).second || !names.contains(file.name)) std::abort();
    for (const bool deleted : {false, true}) {  // a record ends at the first NUL byte
      if (file.name.find('\0') != std::string::npos) break;
      char field[MAX_PATH];
      file.Show(deleted, field);
      const std::string_view shown(field, ::strnlen(field, MAX_PATH));
      if (shown.size() == MAX_PATH || (file.cut && !shown.ends_with(CUT_MARK))) std::abort();
    }
  }
  return 0;
}
