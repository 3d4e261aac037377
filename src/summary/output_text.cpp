#include "summary/output_text.h"

#include <algorithm>

#include "report/escaped_bytes.h"

namespace {

// Whether text holds one of chars from from on.
bool HoldsAnyOf(const std::string& text, std::size_t from, std::string_view chars) {
  return std::find_first_of(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(),
                            chars.begin(), chars.end()) != text.end();
}

}  // namespace

std::string PrintableText(std::string_view text) {
  std::string shown;
  AppendShowingBytes(shown, text, [](std::string_view rest) -> std::size_t {
    return IsControlByte(rest[0]) ? 0 : 1;
  });
  return shown;
}

void AppendUtf8Text(std::string& out, std::string_view text) {
  AppendShowingBytes(out, text, [](std::string_view rest) -> std::size_t {
    const auto byte = static_cast<unsigned char>(rest[0]);
    if (byte >= 0x20 && byte < 0x7F) return 1;
    return IsControlByte(rest[0]) ? 0 : Utf8CharacterLength(rest);
  });
}

std::string Utf8Text(std::string_view text) {
  std::string shown;
  AppendUtf8Text(shown, text);
  return shown;
}

// The text is made UTF-8 where it is appended, and written again, escaped, only where it holds
// what must be: it rarely does.
void AppendJsonString(std::string& out, std::string_view text) {
  out += '"';
  const std::size_t start = out.size();
  AppendUtf8Text(out, text);
  if (HoldsAnyOf(out, start, "\"\\")) {
    const std::string utf8 = out.substr(start);
    out.resize(start);
    for (char c : utf8) {
      if (c == '"' || c == '\\') out += '\\';
      out += c;
    }
  }
  out += '"';
}

void AppendCsvField(std::string& out, std::string_view text) {
  const std::size_t start = out.size();
  AppendUtf8Text(out, text);
  if (out.size() > start && !HoldsAnyOf(out, start, ",\"")) return;
  const std::string field = out.substr(start);
  out.resize(start);
  out += '"';
  for (char c : field) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

std::string HtmlText(std::string_view text) {
  std::string html;
  for (char c : Utf8Text(text)) {
    switch (c) {
      case '&':
        html += "&amp;";
        break;
      case '<':
        html += "&lt;";
        break;
      case '>':
        html += "&gt;";
        break;
      case '"':
        html += "&quot;";
        break;
      case '\'':
        html += "&#39;";
        break;
      default:
        html += c;
    }
  }
  return html;
}
