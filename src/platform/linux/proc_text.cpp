#include "platform/linux/proc_text.h"

#include <algorithm>
#include <unordered_map>

namespace {

constexpr std::string_view kDeletedMark = " (deleted)";

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Splits off the text up to the next blank and the blanks after it.
std::string_view TakeField(std::string_view& rest) {
  const std::size_t end = std::min(rest.find(' '), rest.size());
  std::string_view field = rest.substr(0, end);
  rest.remove_prefix(end);
  const std::size_t next = rest.find_first_not_of(' ');
  rest.remove_prefix(next == std::string_view::npos ? rest.size() : next);
  return field;
}

std::optional<std::uint64_t> ParseHex(std::string_view text) {
  if (text.empty() || text.size() > 16) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : text) {
    int digit = IsDigit(c) ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10 : -1;
    if (digit < 0) return std::nullopt;
    value = value * 16 + static_cast<std::uint64_t>(digit);
  }
  return value;
}

// Shared anonymous memory, System V segments, memfd files and anonymous huge pages are
// named by the kernel as deleted files; they are memory, not files a module came from.
bool IsSharedMemoryName(std::string_view name) {
  return name == "/dev/zero" || name == "/anon_hugepage" || name.starts_with("/SYSV") ||
         name.starts_with("/memfd:");
}

}  // namespace

std::optional<DWORD> ProcessIdFromFolderName(std::string_view name) {
  if (name.empty() || name.size() > 10 || (name.size() > 1 && name[0] == '0')) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : name) {
    if (!IsDigit(c)) return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (value > 0xFFFFFFFFu) return std::nullopt;
  return static_cast<DWORD>(value);
}

std::string ProcessNameFromComm(std::string_view comm) {
  if (!comm.empty() && comm.back() == '\n') comm.remove_suffix(1);
  return std::string(comm);
}

std::optional<MapsLine> ParseMapsLine(std::string_view line) {
  std::string_view rest = line;
  const std::string_view range = TakeField(rest);
  const std::size_t dash = range.find('-');
  if (dash == std::string_view::npos) return std::nullopt;
  const auto start = ParseHex(range.substr(0, dash));
  const auto end = ParseHex(range.substr(dash + 1));
  if (!start || !end || *end < *start) return std::nullopt;
  // Permissions, offset, device and inode: four more fields before the name.
  for (int field = 0; field < 4; ++field)
    if (TakeField(rest).empty()) return std::nullopt;
  return MapsLine{*start, *end, rest};
}

std::string_view MappedFilePath(std::string_view name) {
  if (name.empty() || name.front() != '/') return {};
  if (name.size() <= kDeletedMark.size() || !name.ends_with(kDeletedMark)) return name;
  name.remove_suffix(kDeletedMark.size());
  return IsSharedMemoryName(name) ? std::string_view{} : name;
}

std::vector<ModuleFile> ModuleFilesFromMaps(std::string_view maps, std::string_view exePath) {
  std::vector<ModuleFile> files;
  std::unordered_map<std::string_view, std::size_t> indexOfPath;
  while (!maps.empty()) {
    const std::size_t lineEnd = std::min(maps.find('\n'), maps.size());
    const std::optional<MapsLine> line = ParseMapsLine(maps.substr(0, lineEnd));
    maps.remove_prefix(std::min(lineEnd + 1, maps.size()));
    if (!line) continue;
    const std::string_view path = MappedFilePath(line->name);
    if (path.empty() || path.size() >= MAX_PATH) continue;
    auto [known, isNew] = indexOfPath.try_emplace(path, files.size());
    if (isNew) {
      files.push_back(ModuleFile{std::string(path), line->start, line->end});
      continue;
    }
    ModuleFile& file = files[known->second];
    file.base = std::min(file.base, line->start);
    file.end = std::max(file.end, line->end);
  }
  const std::string_view exe = MappedFilePath(exePath);
  auto program = std::find_if(files.begin(), files.end(),
                              [&](const ModuleFile& file) { return file.path == exe; });
  if (program != files.end()) std::rotate(files.begin(), program, program + 1);
  return files;
}
