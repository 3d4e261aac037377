#include "summary/output_text.h"

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

std::string Utf8Text(std::string_view text) {
  std::string shown;
  while (!text.empty()) {
    const std::size_t length = IsControlByte(text[0]) ? 0 : Utf8CharacterLength(text);
    if (length == 0) {
      AppendEscapedByte(shown, text[0]);
      text.remove_prefix(1);
    } else {
      shown.append(text.substr(0, length));
      text.remove_prefix(length);
    }
  }
  return shown;
}

std::string JsonString(std::string_view text) {
  std::string json = "\"";
  for (char c : Utf8Text(text)) {
    if (c == '"' || c == '\\') json += '\\';
    json += c;
  }
  return json + '"';
}

std::string CsvField(std::string_view text) {
  const std::string field = Utf8Text(text);
  if (!field.empty() && field.find_first_of(",\"") == std::string::npos) return field;
  std::string quoted = "\"";
  for (char c : field) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
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
