// Prints, one result a line, what the system's OLE Automation and code-page calls give for the
// cases where our own Linux layer could part from Windows. The same source builds for both
// systems; the test compares the output with the committed expected text, so a run under Wine's
// oleaut32 and a run on Linux must print the same lines.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <limits>
#include <string>
#include <tuple>
#include <utility>

#include "platform/win32.h"
#include "support/wide_text.h"

namespace {

// Types that no value has.
const VARTYPE kType15 = 15, kType7F = 0x7F;

unsigned Hex(HRESULT hr) {
  return static_cast<unsigned>(hr);
}

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

// "label: hr=0x... vt=..." for a call's result and the type it left.
void PrintResult(const char* label, HRESULT hr, const VARIANT& value) {
  std::printf("%s: hr=0x%08X vt=%u\n", label, Hex(hr), static_cast<unsigned>(V_VT(&value)));
}

// VariantChangeType(..., VT_BSTR) of value, printed with its label.
void PrintText(const std::string& label, const VARIANT& value) {
  VARIANT text;
  VariantInit(&text);
  // The MinGW headers declare the source without const.
  const HRESULT hr = VariantChangeType(&text, const_cast<VARIANT*>(&value), 0, VT_BSTR);
  if (FAILED(hr)) {
    std::printf("text %s: hr=0x%08X\n", label.c_str(), Hex(hr));
    return;
  }
  std::printf("text %s: vt=%u %s\n", label.c_str(), static_cast<unsigned>(V_VT(&text)),
              V_VT(&text) == VT_BSTR ? BstrDescription(V_BSTR(&text)).c_str() : "?");
  VariantClear(&text);
}

// Values of one scalar type, each given by the bits of its union member (both systems are
// little-endian, so the low bytes are the member's own).
struct Scalar {
  const char* label;
  LONGLONG bits;
};

void PrintScalars(unsigned type, std::initializer_list<Scalar> scalars) {
  for (const Scalar& scalar : scalars) {
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = static_cast<VARTYPE>(type);
    value.llVal = scalar.bits;
    PrintText(scalar.label, value);
  }
}

// A VT_R8 or VT_R4 value.
void PrintReal(const std::string& label, VARTYPE type, double number) {
  VARIANT value;
  VariantInit(&value);
  V_VT(&value) = type;
  if (type == VT_R4) value.fltVal = static_cast<float>(number);
  if (type == VT_R8) value.dblVal = number;
  PrintText(label, value);
}

void PrintNumbers() {
  PrintScalars(VT_I1, {{"I1 -128", -128}, {"I1 127", 127}});
  PrintScalars(VT_UI1, {{"UI1 255", 255}});
  PrintScalars(VT_I2, {{"I2 -32768", -32768}, {"I2 32767", 32767}});
  PrintScalars(VT_UI2, {{"UI2 65535", 65535}});
  PrintScalars(VT_I4, {{"I4 -2147483648", -2147483647 - 1},
                       {"I4 0", 0},
                       {"I4 -7", -7},
                       {"I4 2147483647", 2147483647}});
  PrintScalars(VT_UI4, {{"UI4 4294967295", 4294967295LL}});
  PrintScalars(VT_I8, {{"I8 min", std::numeric_limits<LONGLONG>::min()},
                       {"I8 max", std::numeric_limits<LONGLONG>::max()}});
  PrintScalars(VT_UI8, {{"UI8 max", -1}});
  PrintScalars(VT_INT, {{"INT -1", -1}});
  PrintScalars(VT_UINT, {{"UINT 4294967295", 4294967295LL}});
  const double doubles[] = {
      0.5,  -0.0, 0.0,     1.0 / 3, -2.5,      1e21,  1e15,         1e14,   123456789012345.0,
      1e-5, 1e-4, -1e-300, 1.5e300, 0.1 + 0.2, 100.0, 12345.678901, 2.0 / 3};
  for (double d : doubles) {
    char label[48];
    std::snprintf(label, sizeof label, "R8 %.17g", d);
    PrintReal(label, VT_R8, d);
  }
  PrintReal("R8 infinity", VT_R8, std::numeric_limits<double>::infinity());
  PrintReal("R8 -infinity", VT_R8, -std::numeric_limits<double>::infinity());
  PrintReal("R8 NaN", VT_R8, std::numeric_limits<double>::quiet_NaN());
  const float floats[] = {0.5f,       -0.0f,       1.0f / 3, 0.1f,          1e21f,   16777216.0f,
                          1234567.0f, 12345678.0f, 1e-5f,    3.4028235e38f, 2.0f / 3};
  for (float f : floats) {
    char label[48];
    std::snprintf(label, sizeof label, "R4 %.9g", static_cast<double>(f));
    PrintReal(label, VT_R4, f);
  }
}

void PrintOthers() {
  PrintScalars(VT_BOOL,
               {{"BOOL true", VARIANT_TRUE}, {"BOOL false", VARIANT_FALSE}, {"BOOL 1", 1}});
  PrintScalars(VT_CY, {{"CY 1.5", 15000}, {"CY -0.0001", -1}, {"CY 12", 120000}});
  PrintScalars(VT_EMPTY, {{"EMPTY", 0}});
  PrintScalars(VT_NULL, {{"NULL", 0}});
  PrintScalars(VT_ERROR, {{"ERROR", E_FAIL}});
  PrintScalars(kType15, {{"type 15", 0}});
  PrintScalars(VT_VOID, {{"VOID", 0}});
  PrintScalars(VT_HRESULT, {{"HRESULT", S_OK}});
  PrintScalars(kType7F, {{"type 0x7F", 0}});
  PrintScalars(VT_BYREF | VT_EMPTY, {{"BYREF|EMPTY", 0}});
  static LONG referenced = 42;
  const auto address = static_cast<LONGLONG>(reinterpret_cast<std::intptr_t>(&referenced));
  PrintScalars(VT_BYREF | VT_I4, {{"BYREF|I4 42", address}, {"BYREF|I4 null", 0}});

  VARIANT number;
  VariantInit(&number);
  V_VT(&number) = VT_I4;
  V_I4(&number) = 5;
  VARIANT text;
  VariantInit(&text);
  for (const auto& [label, type] : {std::pair{"type 0x7F", kType7F}, {"VOID", VT_VOID}})
    std::printf("text I4 5 to %s: hr=0x%08X\n", label,
                Hex(VariantChangeType(&text, &number, 0, type)));
  const HRESULT hr = VariantChangeType(&number, &number, 0, VT_BSTR);
  std::printf("text I4 5 in place: hr=0x%08X vt=%u %s\n", Hex(hr),
              static_cast<unsigned>(V_VT(&number)), BstrDescription(V_BSTR(&number)).c_str());
  VariantClear(&number);
}

// An object that counts its references, to see what VARIANT copies and clears do with them.
class CountedObject : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    *object = IsEqualIID(riid, IID_IUnknown) ? static_cast<IUnknown*>(this) : nullptr;
    if (*object == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override { return --references; }
  ULONG references = 1;
};

void PrintInterfaces() {
  CountedObject object;
  VARIANT held;
  VariantInit(&held);
  V_VT(&held) = VT_UNKNOWN;
  V_UNKNOWN(&held) = &object;
  VARIANT copy;
  VariantInit(&copy);
  HRESULT hr = VariantCopy(&copy, &held);
  std::printf("copy UNKNOWN: hr=0x%08X references=%lu\n", Hex(hr),
              static_cast<unsigned long>(object.references));
  hr = VariantClear(&copy);
  std::printf("clear UNKNOWN: hr=0x%08X vt=%u references=%lu\n", Hex(hr),
              static_cast<unsigned>(V_VT(&copy)), static_cast<unsigned long>(object.references));
  PrintText("UNKNOWN without IDispatch", held);
  std::printf("after text UNKNOWN: references=%lu\n",
              static_cast<unsigned long>(object.references));
}

void PrintBstrs() {
  BSTR embedded = SysAllocStringLen(Wide({u"ab\0cd", 5}).c_str(), 5);
  std::printf("bstr embedded NUL: %s\n", BstrDescription(embedded).c_str());
  BSTR cut = SysAllocString(embedded);
  std::printf("bstr SysAllocString of embedded NUL: %s\n", BstrDescription(cut).c_str());
  SysFreeString(cut);

  VARIANT value;
  VariantInit(&value);
  V_VT(&value) = VT_BSTR;
  V_BSTR(&value) = embedded;
  VARIANT copy;
  VariantInit(&copy);
  HRESULT hr = VariantCopy(&copy, &value);
  std::printf("copy embedded NUL: hr=0x%08X %s\n", Hex(hr), BstrDescription(V_BSTR(&copy)).c_str());
  VariantClear(&copy);
  PrintText("BSTR embedded NUL", value);
  PrintResult("clear BSTR", VariantClear(&value), value);

  std::printf("bstr SysStringLen(null): %u\n", SysStringLen(nullptr));
  std::printf("bstr SysAllocString(null): %s\n", BstrDescription(SysAllocString(nullptr)).c_str());
  BSTR emptyText = SysAllocString(Wide(u"").c_str());
  std::printf("bstr SysAllocString(\"\"): %s\n", BstrDescription(emptyText).c_str());
  SysFreeString(emptyText);
  SysFreeString(nullptr);

  V_VT(&value) = VT_BSTR;
  V_BSTR(&value) = nullptr;
  hr = VariantCopy(&copy, &value);
  std::printf("copy null BSTR: hr=0x%08X vt=%u %s\n", Hex(hr), static_cast<unsigned>(V_VT(&copy)),
              BstrDescription(V_BSTR(&copy)).c_str());
  VariantClear(&copy);
  PrintText("BSTR null", value);
  std::printf("clear null BSTR: hr=0x%08X\n", Hex(VariantClear(&value)));

  V_VT(&value) = kType15;
  PrintResult("clear type 15", VariantClear(&value), value);
  V_VT(&value) = VT_VOID;
  PrintResult("clear VOID", VariantClear(&value), value);
  V_VT(&value) = VT_I4;
  V_VT(&copy) = kType7F;
  PrintResult("copy onto type 0x7F", VariantCopy(&copy, &value), copy);
  V_VT(&copy) = VT_EMPTY;
  V_VT(&value) = kType7F;
  PrintResult("copy from type 0x7F", VariantCopy(&copy, &value), copy);
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

void PrintToWide(const char* label, UINT codePage, DWORD flags, const char* text, int bytes) {
  PrintConversion<OLECHAR>(
      std::string("to wide ") + label,
      [&](OLECHAR* out, int size) {
        return MultiByteToWideChar(codePage, flags, text, bytes, out, size);
      },
      [](const OLECHAR* wide, int units) {
        return '"' + Escaped(wide, static_cast<UINT>(units)) + '"';
      });
}

void PrintToNarrow(const char* label, UINT codePage, const WideString& wide, int units) {
  PrintConversion<char>(
      std::string("to narrow ") + label,
      [&](char* out, int size) {
        return WideCharToMultiByte(codePage, 0, wide.c_str(), units, out, size, nullptr, nullptr);
      },
      [](const char* bytes, int count) { return '[' + BytesInHex(bytes, count) + ']'; });
}

void PrintCodePages() {
  const char* path =
      "C:\\Gr\xC3\xBC\xC3\x9F"
      "e\\\xE2\x82\xAC\xF0\x9F\x98\x80.dll";
  PrintToWide("ACP \"DLL\" with terminator", CP_ACP, 0, "DLL", -1);
  PrintToWide("ACP \"Components\" without terminator", CP_ACP, 0, "Components", 10);
  PrintToWide("ACP \"\" with terminator", CP_ACP, 0, "", -1);
  PrintToWide("ACP no bytes", CP_ACP, 0, "x", 0);
  PrintToWide("UTF8 path with non-ASCII", CP_UTF8, 0, path, -1);
  PrintToWide("UTF8 lone continuation", CP_UTF8, 0, "a\x80z", -1);
  PrintToWide("UTF8 lone continuation strict", CP_UTF8, MB_ERR_INVALID_CHARS, "a\x80z", -1);
  PrintToWide("UTF8 truncated sequence", CP_UTF8, 0, "a\xE2\x82z", -1);
  PrintToWide("UTF8 truncated at end", CP_UTF8, 0, "a\xE2\x82", 3);
  PrintToWide("UTF8 overlong slash", CP_UTF8, 0, "a\xC0\xAFz", -1);
  PrintToWide("UTF8 encoded surrogate", CP_UTF8, 0, "a\xED\xA0\x80z", -1);
  PrintToWide("UTF8 above U+10FFFF", CP_UTF8, 0, "a\xF4\x90\x80\x80z", -1);
  PrintToWide("UTF8 byte FF", CP_UTF8, 0, "a\xFFz", -1);
  const char16_t lowAlone[] = {u'a', 0xDC00, u'z'};
  const char16_t highAlone[] = {u'a', 0xD800, u'z'};
  PrintToNarrow("ACP \"DLL\" with terminator", CP_ACP, Wide(u"DLL"), -1);
  PrintToNarrow("ACP \"\" with terminator", CP_ACP, Wide(u""), -1);
  PrintToNarrow("UTF8 path with non-ASCII", CP_UTF8,
                Wide(u"C:\\Gr\u00fc\u00dfe\\\u20ac\U0001F600.dll"), -1);
  PrintToNarrow("UTF8 three-byte units", CP_UTF8, Wide(u"\u20ac\u20ac\u20ac"), 3);
  PrintToNarrow("UTF8 lone low surrogate", CP_UTF8, Wide({lowAlone, 3}), -1);
  PrintToNarrow("UTF8 lone high surrogate", CP_UTF8, Wide({highAlone, 3}), -1);
  PrintToNarrow("UTF8 high surrogate at end", CP_UTF8, Wide({highAlone, 2}), 2);

  for (const auto& [label, first, second] : {std::tuple{"equal", "MyApp", "MyApp"},
                                             {"case", "MyApp", "myapp"},
                                             {"empty", "", ""},
                                             {"prefix", "MyApp", "MyApp2"}})
    std::printf("lstrcmpA %s: %s\n", label, lstrcmpA(first, second) == 0 ? "same" : "differ");
}

}  // namespace

int main() {
  PrintNumbers();
  PrintOthers();
  PrintInterfaces();
  PrintBstrs();
  PrintCodePages();
  return 0;
}
