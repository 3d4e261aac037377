#include "summary/output_text.h"

#include <algorithm>

#include "report/escaped_bytes.h"

namespace {

// The length of the UTF-8 character at the start of text, or 0 when none starts there: no
// overlong form, no surrogate, nothing beyond U+10FFFF.
std::size_t Utf8CharacterLength(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const auto continues = [&](std::size_t i) { return i < text.size() && (byte(i) & 0xC0) == 0x80; };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return continues(1) ? 2 : 0;
  if (lead >= 0xE0 && lead <= 0xEF) {
    if (!continues(1) || !continues(2)) return 0;
    if ((lead == 0xE0 && byte(1) < 0xA0) || (lead == 0xED && byte(1) > 0x9F)) return 0;
    return 3;
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    if (!continues(1) || !continues(2) || !continues(3)) return 0;
    if ((lead == 0xF0 && byte(1) < 0x90) || (lead == 0xF4 && byte(1) > 0x8F)) return 0;
    return 4;
  }
  return 0;
}

// Whether text holds one of chars from from on.
bool HoldsAnyOf(const std::string& text, std::size_t from, std::string_view chars) {
  return std::find_first_of(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(),
                            chars.begin(), chars.end()) != text.end();
}

}  // namespace

std::string PrintableText(std::string_view text) {
  std::string shown;
  for (char c : text) {
    if (IsControlByte(c))
      AppendEscapedByte(shown, c);
    else
      shown += c;
  }
  return shown;
}

void AppendUtf8Text(std::string& out, std::string_view text) {
  std::size_t kept = 0;  // the bytes before it are in out
  for (std::size_t at = 0; at < text.size();) {
    const auto byte = static_cast<unsigned char>(text[at]);
    const std::size_t length = byte >= 0x20 && byte < 0x7F ? 1
                               : IsControlByte(text[at])   ? 0
                                                           : Utf8CharacterLength(text.substr(at));
    if (length > 0) {
      at += length;
      continue;
    }
    out.append(text.substr(kept, at - kept));
    AppendEscapedByte(out, text[at]);
    kept = ++at;
  }
  out.append(text.substr(kept));
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
