#include "platform/linux/proc_text.h"

#include <algorithm>
#include <charconv>
#include <utility>

namespace {

// Splits off the text up to the next blank and the blanks after it.
std::string_view TakeField(std::string_view& rest) {
  const std::size_t end = std::min(rest.find(' '), rest.size());
  std::string_view field = rest.substr(0, end);
  rest.remove_prefix(end);
  rest.remove_prefix(std::min(rest.find_first_not_of(' '), rest.size()));
  return field;
}

// The whole of text as a number of the given base that fits Number, or nothing.
template <typename Number>
std::optional<Number> ParseNumber(std::string_view text, int base) {
  Number value{};
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value, base);
  if (error != std::errc{} || stop != end) return std::nullopt;
  return value;
}

// Two hexadecimal numbers joined by sep, as "start-end" or "major:minor".
template <typename Number>
std::optional<std::pair<Number, Number>> ParsePair(std::string_view text, char sep) {
  const std::size_t at = text.find(sep);
  if (at == std::string_view::npos) return std::nullopt;
  const auto first = ParseNumber<Number>(text.substr(0, at), 16);
  const auto second = ParseNumber<Number>(text.substr(at + 1), 16);
  if (!first || !second) return std::nullopt;
  return std::pair{*first, *second};
}

}  // namespace

std::optional<DWORD> ProcessIdFromFolderName(std::string_view name) {
  return ParseNumber<DWORD>(name, 10);
}

std::string ProcessNameFromComm(std::string_view comm) {
  if (comm.ends_with('\n')) comm.remove_suffix(1);
  return std::string(comm);
}

std::optional<MapsLine> ParseMapsLine(std::string_view line) {
  std::string_view rest = line;
  const auto range = ParsePair<std::uint64_t>(TakeField(rest), '-');
  // Permissions and offset, then the device and the inode, before the name.
  if (!range || TakeField(rest).empty() || TakeField(rest).empty()) return std::nullopt;
  const auto device = ParsePair<std::uint32_t>(TakeField(rest), ':');
  const auto inode = ParseNumber<std::uint64_t>(TakeField(rest), 10);
  if (!device || !inode) return std::nullopt;
  return MapsLine{range->first, range->second, {device->first, device->second, *inode}, rest};
}

std::string DecodeMapsName(std::string_view name) {
  std::string decoded;
  for (std::size_t at; (at = name.find("\\012")) != std::string_view::npos;
       name.remove_prefix(at + 4))
    decoded.append(name.substr(0, at)).push_back('\n');
  return decoded.append(name);
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

void ModuleFile::Show(bool deleted, char (&field)[MAX_PATH]) const {
  std::string_view shown = name;
  if (deleted && !cut && shown.ends_with(DELETED_MARK)) shown.remove_suffix(DELETED_MARK.size());
  const bool fits = !cut && shown.size() < MAX_PATH;
  if (!fits) shown = CutAtCharacter(shown, MAX_PATH - 1 - CUT_MARK.size());
  std::memcpy(field, shown.data(), shown.size());
  const std::string_view mark = fits ? "" : CUT_MARK;
  std::memcpy(field + shown.size(), mark.data(), mark.size());
  field[shown.size() + mark.size()] = '\0';
}

void ModuleFileList::AddLine(std::string_view text, bool longer) {
  const std::optional<MapsLine> line = ParseMapsLine(text);
  if (!line || line->file == FileIdentity{} || !seen_.insert(line->file).second) return;
  std::string name = DecodeMapsName(line->name);
  const bool cut = longer || name.size() > NAME_KEPT;
  if (cut) {
    name.resize(NAME_KEPT);
    name.shrink_to_fit();
  }
  files_.push_back(ModuleFile{std::move(name), cut, line->file, line->start, line->end});
}
