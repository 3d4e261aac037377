// BSTR layout, VARIANT ownership and code-page conversion at their edges. Cases that hold on
// every system run everywhere; the rest check choices of our own Linux layer. What the system's
// own calls print for the same edges is compared by tests/tools/com_differential.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>

#include "platform/win32.h"
#include "support/wide_text.h"
#if !defined(_WIN32)
#include "support/link_seams.h"
#endif

namespace {

TEST(Bstr, CarriesItsByteLengthAndATerminator) {
  BSTR text = SysAllocStringLen(Wide(u"ab\0cd").c_str(), 5);
  std::uint32_t bytes;
  std::memcpy(&bytes, reinterpret_cast<const char*>(text) - 4, 4);
  EXPECT_EQ(bytes, 10u);
  EXPECT_EQ(SysStringLen(text), 5u);
  EXPECT_EQ(text[5], OLECHAR(0));
  SysFreeString(text);

  BSTR blank = SysAllocStringLen(nullptr, 3);
  EXPECT_EQ(SysStringLen(blank), 3u);
  EXPECT_EQ(blank[3], OLECHAR(0));
  SysFreeString(blank);
}

TEST(Variant, FailedConversionLeavesTheDestination) {
  VARIANT source;
  VariantInit(&source);
  source.vt = VT_NULL;
  VARIANT destination;
  VariantInit(&destination);
  destination.vt = VT_I4;
  destination.lVal = 9;
  EXPECT_EQ(VariantChangeType(&destination, &source, 0, VT_BSTR), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(destination.vt, VT_I4);
  EXPECT_EQ(destination.lVal, 9);
}

struct Utf8Case {
  const char* name;
  std::string bytes;
  std::u16string units;
};

class Utf8ToWideTest : public testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8ToWideTest, ReplacesWhatIsNotUtf8) {
  const std::string& bytes = GetParam().bytes;
  int size = static_cast<int>(bytes.size());
  int needed = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), size, nullptr, 0);
  ASSERT_GT(needed, 0);
  WideString wide(static_cast<std::size_t>(needed), OLECHAR(0));
  ASSERT_EQ(MultiByteToWideChar(CP_UTF8, 0, bytes.data(), size, wide.data(), needed), needed);
  EXPECT_EQ(wide, Wide(GetParam().units));
  bool valid = GetParam().units.find(u'\uFFFD') == std::u16string::npos;
  SetLastError(0);
  int strict = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
  EXPECT_EQ(strict, valid ? needed : 0);
  EXPECT_EQ(GetLastError(), valid ? 0u : static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, Utf8ToWideTest,
    testing::Values(Utf8Case{"Ascii", "DLL", u"DLL"},
                    Utf8Case{"TwoThreeFourBytes", "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80",
                             u"\u00E9\u20AC\U0001F600"},
                    Utf8Case{"LoneContinuation", "a\x80z", u"a\uFFFDz"},
                    Utf8Case{"TruncatedBeforeAscii", "a\xE2\x82z", u"a\uFFFDz"},
                    Utf8Case{"Overlong", "a\xC0\xAFz", u"a\uFFFD\uFFFDz"},
                    Utf8Case{"OverlongThreeBytes", "\xE0\x80\x80", u"\uFFFD\uFFFD"},
                    Utf8Case{"EncodedSurrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD"},
                    Utf8Case{"AboveUnicode", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD"},
                    Utf8Case{"LastScalar", "\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
                    Utf8Case{"EmbeddedNul", std::string("a\0b", 3), std::u16string(u"a\0b", 3)}),
    [](const testing::TestParamInfo<Utf8Case>& param) { return param.param.name; });

#if !defined(_WIN32)
TEST(LinuxCodePages, AnsiIsUtf8AndOtherPagesAreRefused) {
  OLECHAR wide[8];
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "\xE2\x82\xAC", -1, wide, 8), 2);
  EXPECT_EQ(wide[0], OLECHAR(0x20AC));
  char narrow[8];
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, 8, nullptr, nullptr), 4);
  EXPECT_STREQ(narrow, "\xE2\x82\xAC");

  struct {
    const char* call;
    std::function<int()> convert;
    DWORD error;
  } const refusals[] = {
      {"code page 1252", [&] { return MultiByteToWideChar(1252, 0, "x", -1, wide, 8); },
       ERROR_INVALID_PARAMETER},
      {"unknown flag", [&] { return MultiByteToWideChar(CP_UTF8, 1, "x", -1, wide, 8); },
       ERROR_INVALID_FLAGS},
      {"default character",
       [&] { return WideCharToMultiByte(CP_UTF8, 0, wide, -1, narrow, 8, "?", nullptr); },
       ERROR_INVALID_PARAMETER},
      {"default used",
       [&] {
         BOOL used = FALSE;
         return WideCharToMultiByte(CP_UTF8, 0, wide, -1, narrow, 8, nullptr, &used);
       },
       ERROR_INVALID_PARAMETER},
  };
  for (const auto& refusal : refusals) {
    SetLastError(0);
    EXPECT_EQ(refusal.convert(), 0) << refusal.call;
    EXPECT_EQ(GetLastError(), refusal.error) << refusal.call;
  }
  // A sequence cut short by the end of the text does not swallow the terminator.
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "a\xF0", -1, wide, 8), 3);
}

TEST(LinuxLstrcmp, OrdersByBytesAndNullFirst) {
  EXPECT_LT(lstrcmpA(nullptr, ""), 0);
  EXPECT_GT(lstrcmpA("", nullptr), 0);
  EXPECT_EQ(lstrcmpA(nullptr, nullptr), 0);
  EXPECT_LT(lstrcmpA("a", "\xC3\xA9"), 0);
}

TEST(LinuxBstr, EveryStringIsAccountedFor) {
  long before = LiveBstrCount();
  VARIANT number;
  VariantInit(&number);
  number.vt = VT_I4;
  number.lVal = 5;
  VARIANT text;
  VariantInit(&text);
  text.vt = VT_BSTR;
  text.bstrVal = SysAllocString(Wide(u"old").c_str());
  EXPECT_EQ(LiveBstrCount(), before + 1);
  ASSERT_EQ(VariantChangeType(&text, &number, 0, VT_BSTR), S_OK);  // frees "old"
  EXPECT_EQ(LiveBstrCount(), before + 1);
  ASSERT_EQ(VariantChangeType(&text, &text, 0, VT_BSTR), S_OK);  // in place
  EXPECT_EQ(WideString(text.bstrVal), Wide(u"5"));
  VARIANT copy;
  VariantInit(&copy);
  ASSERT_EQ(VariantCopy(&copy, &text), S_OK);
  ASSERT_EQ(VariantCopy(&copy, &text), S_OK);  // the first copy is freed
  EXPECT_EQ(LiveBstrCount(), before + 2);
  VariantClear(&copy);
  VariantClear(&text);
  EXPECT_EQ(LiveBstrCount(), before);
}
#endif

}  // namespace
