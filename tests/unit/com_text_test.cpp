// The text rules for BSTRs and VARIANTs, and the HRESULTs raised when they cannot be followed.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "com/com_error.h"
#include "com/com_text.h"
#include "support/wide_text.h"
#if !defined(_WIN32)
#include "support/link_seams.h"
#endif

namespace {

std::optional<HRESULT> Raised(const std::function<void()>& action) {
  try {
    action();
  } catch (const _com_error& error) {
    return error.Error();
  }
  return std::nullopt;
}

VARIANT Holding(BSTR text) {
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_BSTR;
  value.bstrVal = text;
  return value;
}

VARIANT OfType(VARTYPE type, LONG number = 0) {
  VARIANT value;
  VariantInit(&value);
  value.vt = type;
  value.lVal = number;
  return value;
}

struct TextCase {
  const char* name;
  std::function<VARIANT()> make;
  const char* text;
  HRESULT raised = S_OK;
};

// Named, not dumped byte by byte: the case has padding.
void PrintTo(const TextCase& c, std::ostream* out) {
  *out << c.name;
}

class TextOfVariantTest : public testing::TestWithParam<TextCase> {};

TEST_P(TextOfVariantTest, GivesTheTextOrRaises) {
  VARIANT value = GetParam().make();
  std::string text;
  EXPECT_EQ(Raised([&] { text = TextOfVariant(value).Narrow(); }).value_or(S_OK),
            GetParam().raised);
  EXPECT_EQ(text, GetParam().text);
  VariantClear(&value);
}

INSTANTIATE_TEST_SUITE_P(
    Values, TextOfVariantTest,
    testing::Values(
        TextCase{"NullBstrIsEmpty", [] { return Holding(nullptr); }, ""},
        TextCase{"EmptyBstr", [] { return Holding(SysAllocString(Wide(u"").c_str())); }, ""},
        TextCase{"EmbeddedNulCuts",
                 [] { return Holding(SysAllocStringLen(Wide(u"ab\0cd").c_str(), 5)); }, "ab"},
        TextCase{"PlainName", [] { return Holding(SysAllocString(Wide(u"MyApp").c_str())); },
                 "MyApp"},
        TextCase{"NegativeLong", [] { return OfType(VT_I4, -7); }, "-7"},
        TextCase{"Empty", [] { return OfType(VT_EMPTY); }, ""},
        TextCase{"Null", [] { return OfType(VT_NULL); }, "", DISP_E_TYPEMISMATCH},
        TextCase{"NoSuchType", [] { return OfType(15); }, "", DISP_E_BADVARTYPE}),
    [](const testing::TestParamInfo<TextCase>& param) { return param.param.name; });

TEST(ComText, CopiesShareOneNarrowText) {
  ComText first(SysAllocString(Wide(u"Components").c_str()));
  ComText second = first;
  EXPECT_EQ(first.Narrow(), second.Narrow());
  EXPECT_EQ(first.Wide(), second.Wide());
  EXPECT_STREQ(second.Narrow(), "Components");
}

TEST(BstrFromNarrow, KeepsEmptyAndNullApart) {
  EXPECT_EQ(BstrFromNarrow(nullptr), nullptr);
  BSTR empty = BstrFromNarrow("");
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(SysStringLen(empty), 0u);
  SysFreeString(empty);
  BSTR name = BstrFromNarrow("Applications");
  EXPECT_EQ(WideString(name, SysStringLen(name)), Wide(u"Applications"));
  SysFreeString(name);
}

// With a UTF-8 code page one 16-bit unit can take three bytes, more than two per unit.
TEST(ComText, LongNonAsciiNameConvertsInFull) {
  WideString name;
  for (int i = 0; i < 100; ++i) name += Wide(u"\u20AC\u20AC\u00E9");
  ComText text(SysAllocString(name.c_str()));
  std::string narrow = text.Narrow();
  BSTR back = BstrFromNarrow(narrow.c_str());
  EXPECT_EQ(WideString(back, SysStringLen(back)), name);
  SysFreeString(back);
#if !defined(_WIN32)
  EXPECT_EQ(narrow.size(), 800u);
  EXPECT_EQ(narrow.substr(0, 8), "\xE2\x82\xAC\xE2\x82\xAC\xC3\xA9");
#endif
}

TEST(VariantHelpers, RaiseThePlatformsResult) {
  VARIANT value;
  VariantInit(&value);
  value.vt = static_cast<VARTYPE>(15);
  EXPECT_EQ(Raised([&] { ClearVariant(&value); }), DISP_E_BADVARTYPE);
  VARIANT copy;
  VariantInit(&copy);
  EXPECT_EQ(Raised([&] { CopyVariant(&copy, &value); }), DISP_E_BADVARTYPE);

  InitEmptyTextVariant(&value);
  ASSERT_EQ(value.vt, VT_BSTR);
  ASSERT_NE(value.bstrVal, nullptr);
  EXPECT_EQ(SysStringLen(value.bstrVal), 0u);
  CopyVariant(&copy, &value);
  EXPECT_EQ(copy.vt, VT_BSTR);
  EXPECT_NE(copy.bstrVal, value.bstrVal);
  ClearVariant(&copy);
  ClearVariant(&value);
  EXPECT_EQ(value.vt, VT_EMPTY);
}

TEST(RaiseLastError, MakesAWin32Result) {
  SetLastError(ERROR_ACCESS_DENIED);
  EXPECT_EQ(Raised([] { RaiseLastError(); }), static_cast<HRESULT>(0x80070005u));
  SetLastError(0x12345678u);
  EXPECT_EQ(Raised([] { RaiseLastError(); }), static_cast<HRESULT>(0x80075678u));
  SetLastError(0);
  EXPECT_EQ(Raised([] { RaiseLastError(); }), S_OK);
}

#if !defined(_WIN32)
// Every BSTR the helpers make, on success and on failure, is freed again.
TEST(ComText, GivesBackEveryString) {
  long before = LiveBstrCount();
  {
    VARIANT values[] = {Holding(SysAllocStringLen(Wide(u"a\0b").c_str(), 3)), OfType(VT_I4, 42),
                        OfType(VT_NULL), Holding(nullptr), OfType(VT_EMPTY)};
    for (VARIANT& value : values) {
      Raised([&] {
        ComText text = TextOfVariant(value);
        ComText again = text;
        text.Narrow();
      });
    }
    for (VARIANT& value : values) VariantClear(&value);
    VARIANT empty;
    InitEmptyTextVariant(&empty);
    ClearVariant(&empty);
  }
  EXPECT_EQ(LiveBstrCount(), before);
}
#endif

}  // namespace
