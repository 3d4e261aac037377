// 16-bit text for tests, written as u"..." literals. OLECHAR is wchar_t on Windows and
// char16_t elsewhere; both hold 16-bit units.
#pragma once

#include <string>
#include <string_view>

#include "platform/win32.h"

using WideString = std::basic_string<OLECHAR>;

inline WideString Wide(std::u16string_view text) {
  return WideString(text.begin(), text.end());
}
