// How a report shows a byte that may not reach it as it is: a control byte (below 0x20, or
// 0x7F) could start a line or steer a terminal, so it is written as \xHH. Whatever else writes
// text from reports for people shows such bytes the same way.
#pragma once

#include <string>
#include <string_view>

inline bool IsControlByte(char c) {
  const auto code = static_cast<unsigned char>(c);
  return code < 0x20 || code == 0x7F;
}

// Appends "\xHH", with capital hexadecimal digits.
inline void AppendEscapedByte(std::string& out, char c) {
  static constexpr char DIGITS[] = "0123456789ABCDEF";
  const auto code = static_cast<unsigned char>(c);
  out += "\\x";
  out += DIGITS[code >> 4];
  out += DIGITS[code & 0x0F];
}

// The length of the UTF-8 character at the start of text, or 0 when none starts there: a byte
// that starts no character, an overlong form, a surrogate, anything beyond U+10FFFF, or a
// character cut short by the end of text.
std::size_t Utf8CharacterLength(std::string_view text);

// Appends text to out, each byte at which showableLength(the rest of text) is 0 written as
// \xHH, and every run it passes (of the lengths it gives) as it is.
template <typename ShowableLength>
void AppendShowingBytes(std::string& out, std::string_view text, ShowableLength showableLength) {
  std::size_t kept = 0;  // the bytes before it are in out
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = showableLength(text.substr(at));
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
