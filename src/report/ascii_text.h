// Comparisons of narrow text that know ASCII letters alone, whatever the code page.
#pragma once

#include <string>
#include <string_view>

inline char LowerAsciiLetter(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (LowerAsciiLetter(a[i]) != LowerAsciiLetter(b[i])) return false;
  return true;
}

inline std::string LowerAsciiText(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = LowerAsciiLetter(c);
  return lower;
}
