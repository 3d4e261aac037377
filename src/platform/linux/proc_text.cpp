#include "platform/linux/proc_text.h"

#include <algorithm>
#include <cstdint>

namespace {

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

// Digits of the given base (10 or 16, lower-case as the kernel writes them) within maxDigits.
std::optional<std::uint64_t> ParseNumber(std::string_view text, unsigned base,
                                         std::size_t maxDigits) {
  if (text.empty() || text.size() > maxDigits) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : text) {
    const unsigned digit = IsDigit(c)               ? unsigned(c - '0')
                           : (c >= 'a' && c <= 'f') ? unsigned(c - 'a' + 10)
                                                    : 99u;
    if (digit >= base || value > (UINT64_MAX - digit) / base) return std::nullopt;
    value = value * base + digit;
  }
  return value;
}

std::optional<std::uint64_t> ParseHex(std::string_view text) {
  return ParseNumber(text, 16, 16);
}

// "major:minor" in hexadecimal, each within 32 bits.
std::optional<FileIdentity> ParseDevice(std::string_view text) {
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos) return std::nullopt;
  const auto major = ParseNumber(text.substr(0, colon), 16, 8);
  const auto minor = ParseNumber(text.substr(colon + 1), 16, 8);
  if (!major || !minor) return std::nullopt;
  return FileIdentity{static_cast<std::uint32_t>(*major), static_cast<std::uint32_t>(*minor), 0};
}

bool IsOctal(char c) {
  return c >= '0' && c <= '7';
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
  // Permissions and offset, then the device and the inode, before the name.
  if (TakeField(rest).empty() || TakeField(rest).empty()) return std::nullopt;
  std::optional<FileIdentity> file = ParseDevice(TakeField(rest));
  const auto inode = ParseNumber(TakeField(rest), 10, 20);
  if (!file || !inode) return std::nullopt;
  file->inode = *inode;
  return MapsLine{*start, *end, *file, rest};
}

std::string DecodeMapsName(std::string_view name) {
  std::string decoded;
  decoded.reserve(name.size());
  for (std::size_t i = 0; i < name.size(); ++i) {
    // Three digits make at most 0377: the first is at most 3.
    if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] >= '0' && name[i + 1] <= '3' &&
        IsOctal(name[i + 2]) && IsOctal(name[i + 3])) {
      decoded += static_cast<char>((name[i + 1] - '0') * 64 + (name[i + 2] - '0') * 8 +
                                   (name[i + 3] - '0'));
      i += 3;
      continue;
    }
    decoded += name[i];
  }
  return decoded;
}

bool NamesMappedFile(std::string_view name) {
  if (name.empty() || name.front() != '/') return false;
  if (!name.ends_with(DELETED_MARK)) return true;
  name.remove_suffix(DELETED_MARK.size());
  return !name.empty() && !IsSharedMemoryName(name);
}

std::string_view CutAtCharacter(std::string_view text, std::size_t limit) {
  if (text.size() <= limit) return text;
  // Back off over the continuation bytes of the character that would be cut, at most three.
  std::size_t length = limit;
  while (length > 0 && limit - length < 3 &&
         (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
    --length;
  return text.substr(0, length);
}

void ModuleFileList::AddLine(std::string_view text) {
  const std::optional<MapsLine> line = ParseMapsLine(text);
  if (!line || !NamesMappedFile(line->name)) return;
  const auto [known, isNew] = indexOf_.try_emplace(line->file, files_.size());
  if (isNew) {
    files_.push_back(ModuleFile{DecodeMapsName(line->name), line->file, line->start, line->end,
                                line->start, line->end});
    return;
  }
  ModuleFile& file = files_[known->second];
  file.base = std::min(file.base, line->start);
  file.end = std::max(file.end, line->end);
}
