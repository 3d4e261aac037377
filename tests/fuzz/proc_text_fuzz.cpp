// The parsers of the process tree's text on any bytes: the first byte chooses the executable's
// path length, the rest is a maps file. Whatever the text, the module list names each file
// once, puts the executable first when it is mapped, never names a path a module record cannot
// hold, and every name it gives is a mapping's path without the deleted mark.
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

  const std::string_view maps = text;
  const std::string exePath(text.substr(0, std::min<std::size_t>(data[0], text.size())));
  const auto modules = ModuleFilesFromMaps(maps, exePath);
  std::set<std::string> seen;
  std::set<std::string> mapped;
  for (std::size_t start = 0; start <= maps.size();) {
    std::size_t end = maps.find('\n', start);
    if (end == std::string_view::npos) end = maps.size();
    if (const auto line = ParseMapsLine(maps.substr(start, end - start))) {
      if (line->start > line->end) std::abort();
      mapped.insert(std::string(MappedFilePath(line->name)));
    }
    start = end + 1;
  }
  for (std::size_t i = 0; i < modules.size(); ++i) {
    const std::string& path = modules[i].path;
    if (path.empty() || path.size() >= MAX_PATH || !seen.insert(path).second) std::abort();
    if (!mapped.count(path)) std::abort();
    if (i > 0 && path == exePath) std::abort();
  }
  return 0;
}
