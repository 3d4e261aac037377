// Prints, one result a line, what the system's OLE Automation and code-page calls give for the
// values a COM+ catalog hands this program and the text it converts. The same source builds for
// both systems; the test compares the output with the committed expected text, so a run under
// Wine's oleaut32 and a run on Linux must print the same lines.
#include <cstdio>
#include <string>
#include <tuple>
#include <utility>

#include "platform/win32.h"
#include "support/wide_text.h"

namespace {

// A type that no value has.
const VARTYPE kNoSuchType = 15;

// The ANSI code page is UTF-8 on Linux; on Windows it is not, so UTF-8 is named there.
#if defined(_WIN32)
const UINT kUtf8 = CP_UTF8;
#else
const UINT kUtf8 = CP_ACP;
#endif

// Printable ASCII as itself, everything else as \uXXXX.
std::string Escaped(const OLECHAR* text, UINT units) {
  std::string result;
  for (UINT i = 0; i < units; ++i) {
    const unsigned unit = static_cast<unsigned>(text[i]) & 0xFFFFu;
    char code[8] = {static_cast<char>(unit)};
    if (unit < 0x20 || unit >= 0x7F || unit == '\\')
      std::snprintf(code, sizeof code, "\\u%04X", unit);
    result += code;
  }
  return result;
}

std::string BytesInHex(const char* bytes, int count) {
  std::string result;
  for (int i = 0; i < count; ++i) {
    char code[4];
    std::snprintf(code, sizeof code, "%02X",
                  static_cast<unsigned>(static_cast<unsigned char>(bytes[i])));
    result += (i > 0 ? " " : "") + std::string(code);
  }
  return result;
}

std::string BstrDescription(BSTR text) {
  if (text == nullptr) return "null";
  const UINT units = SysStringLen(text);
  return "len=" + std::to_string(units) + " \"" + Escaped(text, units) + "\"";
}

// "vt=... " and, for text, its description.
std::string Described(const VARIANT& value) {
  std::string text = "vt=" + std::to_string(V_VT(&value));
  if (V_VT(&value) == VT_BSTR) text += " " + BstrDescription(V_BSTR(&value));
  return text;
}

void PrintResult(const std::string& label, HRESULT hr, const VARIANT& value) {
  std::printf("%s: hr=0x%08X %s\n", label.c_str(), static_cast<unsigned>(hr),
              Described(value).c_str());
}

VARIANT OfType(VARTYPE type) {
  VARIANT value;
  VariantInit(&value);
  V_VT(&value) = type;
  return value;
}

VARIANT Number(LONG number) {
  VARIANT value = OfType(VT_I4);
  V_I4(&value) = number;
  return value;
}

VARIANT Text(BSTR text) {
  VARIANT value = OfType(VT_BSTR);
  V_BSTR(&value) = text;
  return value;
}

// Each value converted to text, copied and cleared.
void PrintVariants() {
  const std::pair<const char*, VARIANT> values[] = {
      {"I4 -2147483648", Number(-2147483647 - 1)},
      {"I4 0", Number(0)},
      {"I4 -7", Number(-7)},
      {"I4 2147483647", Number(2147483647)},
      {"EMPTY", OfType(VT_EMPTY)},
      {"NULL", OfType(VT_NULL)},
      {"type 15", OfType(kNoSuchType)},
      {"BSTR embedded NUL", Text(SysAllocStringLen(Wide({u"ab\0cd", 5}).c_str(), 5))},
      {"BSTR null", Text(nullptr)},
  };
  for (auto [label, value] : values) {
    VARIANT result;
    VariantInit(&result);
    PrintResult(std::string("text ") + label, VariantChangeType(&result, &value, 0, VT_BSTR),
                result);
    VariantClear(&result);
    PrintResult(std::string("copy ") + label, VariantCopy(&result, &value), result);
    VariantClear(&result);
    PrintResult(std::string("clear ") + label, VariantClear(&value), value);
  }
  VARIANT number = Number(5);
  VARIANT invalid = OfType(kNoSuchType);
  PrintResult("copy onto type 15", VariantCopy(&invalid, &number), invalid);
}

void PrintBstrs() {
  BSTR embedded = SysAllocStringLen(Wide({u"ab\0cd", 5}).c_str(), 5);
  BSTR cut = SysAllocString(embedded);
  std::printf("bstr SysAllocString of embedded NUL: %s\n", BstrDescription(cut).c_str());
  SysFreeString(cut);
  SysFreeString(embedded);
  std::printf("bstr SysAllocStringLen(null, 0x80000000): %s\n",
              BstrDescription(SysAllocStringLen(nullptr, 0x80000000u)).c_str());
  std::printf("bstr SysStringLen(null): %u\n", SysStringLen(nullptr));
  std::printf("bstr SysAllocString(null): %s\n", BstrDescription(SysAllocString(nullptr)).c_str());
  BSTR emptyText = SysAllocString(Wide(u"").c_str());
  std::printf("bstr SysAllocString(\"\"): %s\n", BstrDescription(emptyText).c_str());
  SysFreeString(emptyText);
  SysFreeString(nullptr);
}

// "what: size=... written=... shown" for a conversion asked for its size and then made, and
// the conversion made again into a buffer one unit short.
template <typename Unit, typename Convert, typename Show>
void PrintConversion(const std::string& what, Convert convert, Show show) {
  SetLastError(0);
  const int needed = convert(nullptr, 0);
  const DWORD sizeError = GetLastError();
  if (needed <= 0) {
    std::printf("%s: size=%d error=%lu\n", what.c_str(), needed,
                static_cast<unsigned long>(sizeError));
    return;
  }
  std::basic_string<Unit> buffer(static_cast<std::size_t>(needed), Unit(0));
  const int written = convert(buffer.data(), needed);
  std::printf("%s: size=%d written=%d %s\n", what.c_str(), needed, written,
              show(buffer.data(), written).c_str());
  if (needed == 1) return;
  SetLastError(0);
  const int shortWritten = convert(buffer.data(), needed - 1);
  std::printf("%s one short: written=%d error=%lu\n", what.c_str(), shortWritten,
              static_cast<unsigned long>(GetLastError()));
}

void PrintToWide(const char* label, const char* text, int bytes) {
  PrintConversion<OLECHAR>(
      std::string("to wide ") + label,
      [&](OLECHAR* out, int size) { return MultiByteToWideChar(kUtf8, 0, text, bytes, out, size); },
      [](const OLECHAR* wide, int units) {
        return '"' + Escaped(wide, static_cast<UINT>(units)) + '"';
      });
}

void PrintToNarrow(const char* label, const WideString& wide, int units) {
  PrintConversion<char>(
      std::string("to narrow ") + label,
      [&](char* out, int size) {
        return WideCharToMultiByte(kUtf8, 0, wide.c_str(), units, out, size, nullptr, nullptr);
      },
      [](const char* bytes, int count) { return '[' + BytesInHex(bytes, count) + ']'; });
}

void PrintCodePages() {
  const char* path =
      "C:\\Gr\xC3\xBC\xC3\x9F"
      "e\\\xE2\x82\xAC\xF0\x9F\x98\x80.dll";
  PrintToWide("\"DLL\" with terminator", "DLL", -1);
  PrintToWide("\"Components\" without terminator", "Components", 10);
  PrintToWide("\"\" with terminator", "", -1);
  PrintToWide("path with non-ASCII", path, -1);
  PrintToWide("lone continuation", "a\x80z", -1);
  PrintToWide("truncated sequence", "a\xE2\x82z", -1);
  PrintToWide("truncated by the count", "a\xE2\x82\xAC", 3);
  PrintToWide("overlong backslash", "a\xC1\x9Cz", -1);
  PrintToWide("encoded surrogate", "a\xED\xA0\x80z", -1);
  PrintToWide("above U+10FFFF", "a\xF4\x90\x80\x80z", -1);
  PrintToWide("byte FF", "a\xFFz", -1);
  PrintToWide(
      "shortest forms at the edges",
      "\xC2\x80\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", -1);
  PrintToWide("just past the edges",
              "\xC1\xBF\xE0\x9F\xBF\xED\xA0\x80\xF0\x8F\xBF\xBF\xF4\x90\x80\x80\xF5\x80", -1);
  const char16_t edges[] = {0xD800, 0xDC00, 0x7F, 0x80, 0x7FF, 0x800, 0xFFFF, 0xDBFF, 0xDFFF};
  const char16_t lowsAlone[] = {u'a', 0xDC00, 0xDFFF, u'z'};
  const char16_t highAlone[] = {u'a', 0xDBFF, u'z'};
  const char16_t highThenLow[] = {u'a', 0xDBFF, 0xDC00};
  PrintToNarrow("\"DLL\" with terminator", Wide(u"DLL"), -1);
  PrintToNarrow("\"\" with terminator", Wide(u""), -1);
  PrintToNarrow("path with non-ASCII", Wide(u"C:\\Gr\u00fc\u00dfe\\\u20ac\U0001F600.dll"), -1);
  PrintToNarrow("edges of each length", Wide({edges, 9}), 9);
  PrintToNarrow("lone low surrogates", Wide({lowsAlone, 4}), -1);
  PrintToNarrow("lone high surrogate", Wide({highAlone, 3}), -1);
  PrintToNarrow("high surrogate cut by the count", Wide({highThenLow, 3}), 2);

  for (const auto& [label, first, second] : {std::tuple{"equal", "MyApp", "MyApp"},
                                             {"case", "MyApp", "myapp"},
                                             {"prefix", "MyApp", "MyApp2"}})
    std::printf("lstrcmpA %s: %s\n", label, lstrcmpA(first, second) == 0 ? "same" : "differ");
}

}  // namespace

int main() {
  PrintVariants();
  PrintBstrs();
  PrintCodePages();
  return 0;
}
