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
