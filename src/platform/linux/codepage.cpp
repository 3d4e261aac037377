// Code-page conversion between narrow text and 16-bit units. On this system the ANSI code page
// is UTF-8, since file names are UTF-8 bytes, and CP_ACP converts as Windows converts CP_UTF8:
// - a byte sequence that is not UTF-8 becomes U+FFFD. A lead byte with one following
//   continuation byte out of its range is one U+FFFD together, the same grouping Wine uses;
// - an unpaired surrogate becomes the UTF-8 default character U+FFFD (EF BF BD).
// Callers name CP_ACP and no flags; any other code page or flag fails with
// ERROR_INVALID_PARAMETER. No character lacks a UTF-8 form, so the default character arguments
// of WideCharToMultiByte play no part.
#include <cstring>
#include <string>

#include "platform/linux/win32_subset.h"

namespace {

constexpr char32_t REPLACEMENT = 0xFFFD;
constexpr char32_t INVALID = 0xFFFFFFFF;

bool IsContinuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

// The range the byte after a lead byte must fall in for the sequence to be the shortest form
// of a scalar value (no overlong forms, no surrogates, nothing above U+10FFFF).
void SecondByteRange(unsigned char lead, unsigned char* low, unsigned char* high) {
  *low = 0x80;
  *high = 0xBF;
  if (lead == 0xE0) *low = 0xA0;
  if (lead == 0xED) *high = 0x9F;
  if (lead == 0xF0) *low = 0x90;
  if (lead == 0xF4) *high = 0x8F;
}

// Decodes one character starting at text[*at] and moves *at past it; INVALID for a malformed
// sequence, which then covers the bytes consumed.
char32_t DecodeOne(const unsigned char* text, std::size_t size, std::size_t* at) {
  unsigned char lead = text[(*at)++];
  if (lead < 0x80) return lead;
  int following;
  char32_t value;
  if (lead >= 0xC2 && lead <= 0xDF) {
    following = 1;
    value = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    following = 2;
    value = lead & 0x0Fu;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    following = 3;
    value = lead & 0x07u;
  } else {
    return INVALID;
  }
  unsigned char low;
  unsigned char high;
  SecondByteRange(lead, &low, &high);
  for (int i = 0; i < following; ++i) {
    if (*at >= size || !IsContinuation(text[*at])) return INVALID;
    unsigned char byte = text[(*at)++];
    if (i == 0 && (byte < low || byte > high)) return INVALID;
    value = (value << 6) | (byte & 0x3Fu);
  }
  return value;
}

// Appends the UTF-16 form of one scalar value.
void AppendUnits(char32_t value, std::u16string* out) {
  if (value < 0x10000) {
    out->push_back(static_cast<char16_t>(value));
  } else {
    value -= 0x10000;
    out->push_back(static_cast<char16_t>(0xD800 + (value >> 10)));
    out->push_back(static_cast<char16_t>(0xDC00 + (value & 0x3FF)));
  }
}

void AppendBytes(char32_t value, std::string* out) {
  if (value < 0x80) {
    out->push_back(static_cast<char>(value));
  } else if (value < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (value >> 6)));
    out->push_back(static_cast<char>(0x80 | (value & 0x3F)));
  } else if (value < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (value >> 12)));
    out->push_back(static_cast<char>(0x80 | ((value >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (value & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (value >> 18)));
    out->push_back(static_cast<char>(0x80 | ((value >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((value >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (value & 0x3F)));
  }
}

bool IsHighSurrogate(char32_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(char32_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

bool IsRefused(UINT codePage, DWORD flags) {
  if (codePage == CP_ACP && flags == 0) return false;
  SetLastError(ERROR_INVALID_PARAMETER);
  return true;
}

// Hands the converted result to the caller as Windows does: its size when the output size is
// 0, else a copy when it fits, else ERROR_INSUFFICIENT_BUFFER.
template <typename Unit>
int Deliver(const std::basic_string<Unit>& result, Unit* output, int outputSize) {
  int size = static_cast<int>(result.size());
  if (outputSize == 0) return size;
  if (size > outputSize) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(output, result.data(), result.size() * sizeof(Unit));
  return size;
}

}  // namespace

int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int textBytes, LPWSTR wide,
                               int wideUnits) {
  if (IsRefused(codePage, flags)) return 0;
  // A count of -1 means up to and including the terminating NUL.
  std::size_t size = textBytes == -1 ? std::strlen(text) + 1 : static_cast<std::size_t>(textBytes);
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  std::u16string result;
  for (std::size_t at = 0; at < size;) {
    char32_t value = DecodeOne(bytes, size, &at);
    AppendUnits(value == INVALID ? REPLACEMENT : value, &result);
  }
  return Deliver(result, wide, wideUnits);
}

int WINAPI WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int wideUnits, LPSTR text,
                               int textBytes, LPCSTR, LPBOOL) {
  if (IsRefused(codePage, flags)) return 0;
  std::size_t size = wideUnits == -1 ? std::char_traits<WCHAR>::length(wide) + 1
                                     : static_cast<std::size_t>(wideUnits);
  std::string result;
  for (std::size_t at = 0; at < size; ++at) {
    char32_t unit = wide[at];
    if (IsHighSurrogate(unit) && at + 1 < size && IsLowSurrogate(wide[at + 1])) {
      char32_t low = wide[++at];
      AppendBytes(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00), &result);
    } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
      AppendBytes(REPLACEMENT, &result);
    } else {
      AppendBytes(unit, &result);
    }
  }
  return Deliver(result, text, textBytes);
}

// File names are UTF-8 bytes here, so UTF-8 is the ANSI code page.
UINT WINAPI GetACP() {
  return CP_UTF8;
}

// Callers only ask whether two names are equal, and equal means the same bytes. The order of
// unequal texts is that of their bytes (Unicode order in UTF-8), not a locale's sort order.
int WINAPI lstrcmpA(LPCSTR first, LPCSTR second) {
  return std::strcmp(first, second);
}
