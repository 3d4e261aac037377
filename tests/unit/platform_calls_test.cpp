// The platform's calls (OLE Automation, code pages, the machine's name, error texts and
// privileges) and the COM text rules, held to what Windows documents: the same on Linux and
// under Wine.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <tuple>

#include "com/com_error.h"
#include "com/com_text.h"
#include "support/system_text.h"
#include "support/wide_text.h"
#if defined(_WIN32)
const auto LiveBstrCount = [] { return 0L; };  // the tally is kept on Linux alone
const UINT kUtf8 = CP_UTF8;  // the ANSI code page, UTF-8 on Linux, is not so on Windows
#else
#include "platform/linux/host_name.h"
#include "support/link_seams.h"
const UINT kUtf8 = CP_ACP;
#endif

namespace {

using namespace std::literals;
const VARTYPE kNoSuchType = 15;

std::optional<HRESULT> Raised(const std::function<void()>& action) try {
  action();
  return std::nullopt;
} catch (const _com_error& error) {
  return error.Error();
}

// A VT_BSTR holds every unit of text, NULs included; a view without data gives a null BSTR.
VARIANT Make(VARTYPE type, LONG number = 0, std::u16string_view text = {}) {
  VARIANT value;
  VariantInit(&value);
  value.vt = type;
  value.lVal = number;
  if (type == VT_BSTR)
    value.bstrVal =
        text.data() ? SysAllocStringLen(Wide(text).c_str(), UINT(text.size())) : nullptr;
  return value;
}

WideString Units(BSTR text) {
  return WideString(text, SysStringLen(text));
}

WideString TextOf(const VARIANT& value) {
  return value.vt == VT_BSTR ? Units(value.bstrVal) : WideString();
}

class Com : public testing::Test {  // every test frees each BSTR it makes, on failures too
  const long live_ = LiveBstrCount();
  void TearDown() override { EXPECT_EQ(LiveBstrCount(), live_); }
};

// Type, number, text, and the result of VariantChangeType to VT_BSTR, which gives the text.
const std::tuple<VARTYPE, LONG, std::u16string_view, HRESULT> kValues[] = {
    {VT_I4, -2147483647 - 1, u"-2147483648", S_OK},
    {VT_BSTR, 0, u"ab\0cd"sv, S_OK},
    {VT_BSTR, 0, u"", S_OK},
    {VT_BSTR, 0, {}, S_OK},
    {VT_EMPTY, 0, u"", S_OK},
    {VT_NULL, 0, u"", DISP_E_TYPEMISMATCH},
    {kNoSuchType, 0, u"", DISP_E_BADVARTYPE}};

TEST_F(Com, VariantsConvertCopyAndClear) {
  for (const auto& [type, number, view, changed] : kValues) {
    SCOPED_TRACE(testing::Message() << type << " " << number);
    const auto refused = type == kNoSuchType ? std::optional(DISP_E_BADVARTYPE) : std::nullopt;
    const WideString text = Wide(view);
    VARIANT value = Make(type, number, view), result = Make(kNoSuchType);
    EXPECT_EQ(VariantCopy(&result, &value), DISP_E_BADVARTYPE);  // cannot clear the target
    EXPECT_EQ(result.vt, kNoSuchType);
    result.vt = VT_EMPTY;
    for (int twice = 0; twice < 2; ++twice) {  // the second frees what the first made
      EXPECT_EQ(VariantChangeType(&result, &value, 0, VT_BSTR), changed);
      EXPECT_EQ(result.vt, SUCCEEDED(changed) ? VT_BSTR : VT_EMPTY);
      EXPECT_EQ(TextOf(result), text);
    }
    std::string narrow;  // up to the first NUL
    EXPECT_EQ(Raised([&] { narrow = TextOfVariant(value).Narrow(); }).value_or(S_OK), changed);
    EXPECT_EQ(Wide(std::u16string(narrow.begin(), narrow.end())), text.c_str());
    EXPECT_EQ(Raised([&] { CopyVariant(&result, &value); }), refused);
    EXPECT_EQ(result.vt, refused ? VARTYPE(VT_EMPTY) : type);
    EXPECT_EQ(result.vt == VT_I4 ? result.lVal : number, number);
    EXPECT_EQ(TextOf(result), type == VT_BSTR ? text : WideString());
    EXPECT_TRUE(result.vt != VT_BSTR || result.bstrVal != value.bstrVal);
    ClearVariant(&result);
    EXPECT_EQ(Raised([&] { ClearVariant(&value); }), refused);
    EXPECT_EQ(value.vt, refused ? kNoSuchType : VARTYPE(VT_EMPTY));
  }
}

int ToWide(const char* text, int count, OLECHAR* out, int size) {
  return MultiByteToWideChar(kUtf8, 0, text, count, out, size);
}

int ToNarrow(const OLECHAR* text, int count, char* out, int size) {
  return WideCharToMultiByte(kUtf8, 0, text, count, out, size, nullptr, nullptr);
}

// Sized first, then made, then made into a buffer one unit short.
template <typename Unit, typename Text>
void ExpectConverts(int (*convert)(const Unit*, int, typename Text::value_type*, int),
                    const Unit* text, int count, const Text& expected) {
  const int size = static_cast<int>(expected.size());
  ASSERT_EQ(convert(text, count, nullptr, 0), size);
  Text made(expected.size(), 0);
  EXPECT_EQ(convert(text, count, made.data(), size), size);
  EXPECT_EQ(made, expected);
  SetLastError(0);
  EXPECT_EQ(size > 1 ? convert(text, count, made.data(), size - 1) : 0, 0);
  EXPECT_EQ(GetLastError(), DWORD(size > 1 ? ERROR_INSUFFICIENT_BUFFER : 0));
}

// UTF-8 bytes and UTF-16 units that convert into each other, or one way alone. A count of -1
// converts up to and including the first NUL.
enum Way { kBoth, kToWide, kToNarrow };
const std::tuple<Way, int, std::string_view, std::u16string_view> kConversions[] = {
    {kBoth, -1, "\0"sv, u"\0"sv},
    {kBoth, -1,
     "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF\0"sv,
     u"\x7F\x80\u07FF\u0800\uD7FF\uFFFF\U00010000\U0010FFFF\0"sv},
    {kToWide, 3, "a\xE2\x82\xAC", u"a\uFFFD"},
    {kToWide, -1,
     "\xC1\xBF\xE0\x9F\xBF\xED\xA0\x80\xF0\x8F\xBF\xBF\xF4\x90\x80\x80\xF5\x80\xE2\x82z",
     u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"
     u"\uFFFDz\0"sv},
    {kToNarrow, -1, "a\xEF\xBF\xBD\xEF\xBF\xBDz\xEF\xBF\xBDz\0"sv, u"a\xDC00\xDFFFz\xDBFFz"},
    {kToNarrow, 2, "a\xEF\xBF\xBD", u"a\xDBFF\xDC00"},
    {kToNarrow, 2, "\xF0\x9F\x98\x80", u"\U0001F600"}};

TEST_F(Com, CodePagesConvertUtf8AndMarkWhatIsNot) {
  for (const auto& [way, count, bytes, view] : kConversions) {
    SCOPED_TRACE(testing::Message() << way << " " << count << " " << bytes.size());
    const WideString units = Wide(view);
    if (way != kToNarrow) ExpectConverts(ToWide, bytes.data(), count, units);
    if (way != kToWide) ExpectConverts(ToNarrow, units.c_str(), count, std::string(bytes));
  }
  EXPECT_TRUE(!lstrcmpA("App", "App") && lstrcmpA("App", "app") && lstrcmpA("App", "App2"));
#if !defined(_WIN32)  // our own layer knows the ANSI code page alone, and no flags
  for (auto [page, flags] : {std::pair<UINT, DWORD>{1252, 0}, {CP_ACP, 8}}) {
    SetLastError(0);
    EXPECT_FALSE(MultiByteToWideChar(page, flags, "x", -1, nullptr, 0) ||
                 WideCharToMultiByte(page, flags, u"x", -1, nullptr, 0, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  }
#endif
}

TEST_F(Com, BstrsTextHoldersVariantOwnersAndRaisedResults) {
  BSTR text = Make(VT_BSTR, 0, u"ab\0cd"sv).bstrVal, cut = SysAllocString(text);
  EXPECT_EQ(text[5], OLECHAR(0));
  EXPECT_EQ(Units(cut), Wide(u"ab"));
  EXPECT_EQ(SysAllocStringLen(nullptr, 0x80000000u), nullptr);
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  for (BSTR made : {text, cut, BSTR{}}) SysFreeString(made);

  // In UTF-8 one 16-bit unit can take three bytes, more than two per unit.
  WideString name;
  for (int i = 0; i < 100; ++i) name += Wide(u"\u20AC\u20AC\u00E9");
  ComText first(SysAllocString(name.c_str())), second = first, empty(BstrFromNarrow(""));
  EXPECT_EQ(first.Narrow(), second.Narrow());  // one narrow copy, shared
  EXPECT_EQ(first.Wide(), second.Wide());
  EXPECT_EQ(Units(ComText(BstrFromNarrow(second.Narrow())).Wide()), name);
  EXPECT_TRUE(kUtf8 != CP_ACP || std::strlen(first.Narrow()) == 800);
  EXPECT_STREQ(ComText(nullptr).Narrow(), "");
  EXPECT_EQ(BstrFromNarrow(nullptr), nullptr);
  EXPECT_TRUE(empty.Wide() != nullptr && SysStringLen(empty.Wide()) == 0);

  Variant owner{Variant::EmptyText{}}, adopted(Make(VT_BSTR, 0, u"y"));
  EXPECT_TRUE(owner.Get().vt == VT_BSTR && Units(owner.Get().bstrVal).empty());
  *owner.Put() = Make(VT_BSTR, 0, u"x");
  *owner.Put() = Make(VT_I4, 5);
  EXPECT_EQ(Raised([&] { Variant(Make(kNoSuchType)).Clear(); }), DISP_E_BADVARTYPE);

  EXPECT_EQ(CoInitialize(nullptr), S_OK);  // the first in the thread; the next ones count
  EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
  CoUninitialize();
  CoUninitialize();

  SetLastError(0x12345678u);
  EXPECT_EQ(Raised(RaiseLastError), HRESULT(0x80075678u));
  SetLastError(0);
  EXPECT_EQ(Raised(RaiseLastError), S_OK);
}

// The call's result, or the last error when it failed.
template <typename Call>
DWORD ResultOrError(Call call) {
  SetLastError(0);
  const auto result = static_cast<DWORD>(call());
  return result != 0 ? result : GetLastError();
}

TEST(SystemCalls, KeepToTheBufferGivenAndKnowOnlyWhatTheSystemHas) {
  const std::string name = MachineName(), unc = "\\\\" + name;
  char text[512] = {};
  auto size = static_cast<DWORD>(name.size());  // no room for the terminator
  EXPECT_EQ(ResultOrError([&] { return GetComputerNameA(text, &size); }),
            DWORD{ERROR_BUFFER_OVERFLOW});
  EXPECT_EQ(size, name.size() + 1);
#if !defined(_WIN32)  // here the host name's first label, in capitals, cut to 15 bytes
  for (const auto& [host, machine] : {std::pair{"az`{AZ.b", "AZ`{AZ"},
                                      {"\xC3\xA9t\x01.x", "\xC3\xA9T\x01"},
                                      {"a-very-long-host-name", "A-VERY-LONG-HOS"}})
    EXPECT_EQ(NetBiosNameFromHostName(host), machine) << host;
#endif

  const auto format = [&](DWORD flags, DWORD code, DWORD room) {
    return ResultOrError([&] { return FormatMessageA(flags, 0, code, 0, text, room, nullptr); });
  };
  constexpr DWORD SYSTEM = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  const DWORD length = format(SYSTEM, ERROR_ACCESS_DENIED, sizeof text);
  EXPECT_EQ(std::string(text + length - 2, 3), std::string("\r\n", 3));
  EXPECT_EQ(format(SYSTEM, ERROR_ACCESS_DENIED, length + 1), length);
  EXPECT_EQ(format(SYSTEM, ERROR_ACCESS_DENIED, length), DWORD(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(format(SYSTEM, 0x2000FFFFu, sizeof text), DWORD(ERROR_MR_MID_NOT_FOUND));
  EXPECT_EQ(format(0, ERROR_ACCESS_DENIED, sizeof text), DWORD(ERROR_INVALID_PARAMETER));
#if !defined(_WIN32)  // this layer's HRESULT made from a Win32 code says what the code says
  EXPECT_EQ(SystemMessage(0x80070005u), SystemMessage(ERROR_ACCESS_DENIED));
#endif

  const std::tuple<const char*, const char*, DWORD> privileges[] = {
      {nullptr, "sedebugprivilege", 20},
      {unc.c_str(), "SeDebugPrivilege", 20},
      {"", "SeDebugPrivileges", ERROR_NO_SUCH_PRIVILEGE},
      {"QX-NO-SUCH-HOST", "SeDebugPrivilege", RPC_S_SERVER_UNAVAILABLE}};
  for (const auto& [system, privilege, result] : privileges) {
    LUID luid = {7, 7};
    const auto number = [&] {  // the privilege's number, or 0
      return LookupPrivilegeValueA(system, privilege, &luid) && !luid.HighPart ? luid.LowPart : 0;
    };
    EXPECT_EQ(ResultOrError(number), result) << privilege;
  }
}

}  // namespace
