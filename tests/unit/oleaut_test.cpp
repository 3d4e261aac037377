// BSTR layout, and what our own Linux layer does beyond what tests/tools/com_differential
// compares with the system's calls: the code pages it refuses and the strings it frees.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

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
  EXPECT_EQ(text[5], OLECHAR(0));
  SysFreeString(text);
}

#if !defined(_WIN32)
TEST(LinuxCodePages, RefuseOtherPagesAndFlags) {
  OLECHAR wide[8] = {u'x', 0};
  char narrow[8];
  const struct {
    UINT codePage;
    DWORD flags;
  } refused[] = {{1252, 0}, {CP_ACP, 8}};
  for (const auto& call : refused) {
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(call.codePage, call.flags, "x", -1, wide, 8), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(call.codePage, call.flags, wide, -1, narrow, 8, nullptr, nullptr),
              0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  }
}

// A call that replaces a string frees the one it replaces, and a refused one frees what it made.
TEST(LinuxBstr, EveryStringIsAccountedFor) {
  const long before = LiveBstrCount();
  VARIANT number;
  VariantInit(&number);
  number.vt = VT_I4;
  number.lVal = 5;
  VARIANT text;
  VariantInit(&text);
  text.vt = VT_BSTR;
  text.bstrVal = SysAllocString(Wide(u"old").c_str());
  ASSERT_EQ(VariantChangeType(&text, &number, 0, VT_BSTR), S_OK);
  EXPECT_EQ(WideString(text.bstrVal), Wide(u"5"));
  VARIANT copy;
  VariantInit(&copy);
  ASSERT_EQ(VariantCopy(&copy, &text), S_OK);
  ASSERT_EQ(VariantCopy(&copy, &text), S_OK);
  VARIANT invalid;
  invalid.vt = 15;
  EXPECT_EQ(VariantCopy(&invalid, &text), DISP_E_BADVARTYPE);
  EXPECT_EQ(LiveBstrCount(), before + 2);
  VariantClear(&copy);
  VariantClear(&text);
  EXPECT_EQ(LiveBstrCount(), before);
}
#endif

}  // namespace
