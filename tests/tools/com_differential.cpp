// Prints, one result a line, what the system's OLE Automation and code-page calls give for the
// cases where our own Linux layer could part from Windows. The same source builds for both
// systems; the test compares the output with the committed expected text, so a run under Wine's
// oleaut32 and a run on Linux must print the same lines.
#include <cstdio>
#include <limits>
#include <string>

#include "platform/win32.h"

namespace {

using WideString = std::basic_string<OLECHAR>;

// OLECHAR is wchar_t on Windows and char16_t here; both are 16 bits wide.
WideString Wide(const char16_t* text, std::size_t units) {
  WideString result;
  for (std::size_t i = 0; i < units; ++i) result.push_back(static_cast<OLECHAR>(text[i]));
  return result;
}

WideString Wide(const char16_t* text) {
  return Wide(text, std::char_traits<char16_t>::length(text));
}

unsigned Hex(HRESULT hr) {
  return static_cast<unsigned>(hr);
}

// Printable ASCII as itself, everything else as \uXXXX.
std::string Escaped(const OLECHAR* text, UINT units) {
  std::string result;
  for (UINT i = 0; i < units; ++i) {
    unsigned unit = static_cast<unsigned>(text[i]) & 0xFFFFu;
    if (unit >= 0x20 && unit < 0x7F && unit != '\\') {
      result.push_back(static_cast<char>(unit));
    } else {
      char code[8];
      std::snprintf(code, sizeof code, "\\u%04X", unit);
      result += code;
    }
  }
  return result;
}

std::string BytesInHex(const char* bytes, int count) {
  std::string result;
  for (int i = 0; i < count; ++i) {
    char code[4];
    std::snprintf(code, sizeof code, "%02X",
                  static_cast<unsigned>(static_cast<unsigned char>(bytes[i])));
    if (i > 0) result.push_back(' ');
    result += code;
  }
  return result;
}

std::string BstrDescription(BSTR text) {
  if (text == nullptr) return "null";
  UINT units = SysStringLen(text);
  return "len=" + std::to_string(units) + " \"" + Escaped(text, units) + "\"";
}

// VariantChangeType(..., VT_BSTR) of value, printed with its label.
void PrintText(const char* label, const VARIANT& value) {
  VARIANT text;
  VariantInit(&text);
  // The MinGW headers declare the source without const.
  HRESULT hr = VariantChangeType(&text, const_cast<VARIANT*>(&value), 0, VT_BSTR);
  if (FAILED(hr)) {
    std::printf("text %s: hr=0x%08X\n", label, Hex(hr));
    return;
  }
  std::printf("text %s: vt=%u %s\n", label, static_cast<unsigned>(V_VT(&text)),
              V_VT(&text) == VT_BSTR ? BstrDescription(V_BSTR(&text)).c_str() : "?");
  VariantClear(&text);
}

template <typename Setter>
void PrintTextOf(const char* label, VARTYPE type, Setter set) {
  VARIANT value;
  VariantInit(&value);
  V_VT(&value) = type;
  set(value);
  PrintText(label, value);
}

void PrintIntegers() {
  PrintTextOf("I1 -128", VT_I1, [](VARIANT& v) { v.cVal = static_cast<CHAR>(-128); });
  PrintTextOf("I1 127", VT_I1, [](VARIANT& v) { v.cVal = 127; });
  PrintTextOf("UI1 255", VT_UI1, [](VARIANT& v) { v.bVal = 255; });
  PrintTextOf("I2 -32768", VT_I2, [](VARIANT& v) { v.iVal = -32768; });
  PrintTextOf("I2 32767", VT_I2, [](VARIANT& v) { v.iVal = 32767; });
  PrintTextOf("UI2 65535", VT_UI2, [](VARIANT& v) { v.uiVal = 65535; });
  PrintTextOf("I4 -2147483648", VT_I4, [](VARIANT& v) { v.lVal = -2147483647 - 1; });
  PrintTextOf("I4 0", VT_I4, [](VARIANT& v) { v.lVal = 0; });
  PrintTextOf("I4 -7", VT_I4, [](VARIANT& v) { v.lVal = -7; });
  PrintTextOf("I4 2147483647", VT_I4, [](VARIANT& v) { v.lVal = 2147483647; });
  PrintTextOf("UI4 4294967295", VT_UI4, [](VARIANT& v) { v.ulVal = 4294967295u; });
  PrintTextOf("I8 min", VT_I8, [](VARIANT& v) { v.llVal = -9223372036854775807LL - 1; });
  PrintTextOf("I8 max", VT_I8, [](VARIANT& v) { v.llVal = 9223372036854775807LL; });
  PrintTextOf("UI8 max", VT_UI8, [](VARIANT& v) { v.ullVal = 18446744073709551615ULL; });
  PrintTextOf("INT -1", VT_INT, [](VARIANT& v) { v.intVal = -1; });
  PrintTextOf("UINT 4294967295", VT_UINT, [](VARIANT& v) { v.uintVal = 4294967295u; });
}

void PrintReals() {
  const double doubles[] = {
      0.5,  -0.0, 0.0,     1.0 / 3, -2.5,      1e21,  1e15,         1e14,   123456789012345.0,
      1e-5, 1e-4, -1e-300, 1.5e300, 0.1 + 0.2, 100.0, 12345.678901, 2.0 / 3};
  for (double d : doubles) {
    char label[48];
    std::snprintf(label, sizeof label, "R8 %.17g", d);
    PrintTextOf(label, VT_R8, [d](VARIANT& v) { v.dblVal = d; });
  }
  PrintTextOf("R8 infinity", VT_R8,
              [](VARIANT& v) { v.dblVal = std::numeric_limits<double>::infinity(); });
  PrintTextOf("R8 -infinity", VT_R8,
              [](VARIANT& v) { v.dblVal = -std::numeric_limits<double>::infinity(); });
  PrintTextOf("R8 NaN", VT_R8,
              [](VARIANT& v) { v.dblVal = std::numeric_limits<double>::quiet_NaN(); });
  const float floats[] = {0.5f,       -0.0f,       1.0f / 3, 0.1f,          1e21f,   16777216.0f,
                          1234567.0f, 12345678.0f, 1e-5f,    3.4028235e38f, 2.0f / 3};
  for (float f : floats) {
    char label[48];
    std::snprintf(label, sizeof label, "R4 %.9g", static_cast<double>(f));
    PrintTextOf(label, VT_R4, [f](VARIANT& v) { v.fltVal = f; });
  }
}

void PrintOthers() {
  PrintTextOf("BOOL true", VT_BOOL, [](VARIANT& v) { v.boolVal = VARIANT_TRUE; });
  PrintTextOf("BOOL false", VT_BOOL, [](VARIANT& v) { v.boolVal = VARIANT_FALSE; });
  PrintTextOf("BOOL 1", VT_BOOL, [](VARIANT& v) { v.boolVal = 1; });
  PrintTextOf("CY 1.5", VT_CY, [](VARIANT& v) { v.cyVal.int64 = 15000; });
  PrintTextOf("CY -0.0001", VT_CY, [](VARIANT& v) { v.cyVal.int64 = -1; });
  PrintTextOf("CY 12", VT_CY, [](VARIANT& v) { v.cyVal.int64 = 120000; });
  PrintTextOf("EMPTY", VT_EMPTY, [](VARIANT&) {});
  PrintTextOf("NULL", VT_NULL, [](VARIANT&) {});
  PrintTextOf("ERROR", VT_ERROR, [](VARIANT& v) { v.scode = E_FAIL; });
  PrintTextOf("type 15", static_cast<VARTYPE>(15), [](VARIANT&) {});
  PrintTextOf("VOID", VT_VOID, [](VARIANT&) {});
  PrintTextOf("HRESULT", VT_HRESULT, [](VARIANT& v) { v.scode = S_OK; });
  PrintTextOf("type 0x7F", static_cast<VARTYPE>(0x7F), [](VARIANT&) {});
  PrintTextOf("BYREF|EMPTY", static_cast<VARTYPE>(VT_BYREF | VT_EMPTY),
              [](VARIANT& v) { v.byref = nullptr; });
  static LONG referenced = 42;
  PrintTextOf("BYREF|I4 42", static_cast<VARTYPE>(VT_BYREF | VT_I4),
              [](VARIANT& v) { v.byref = &referenced; });
  PrintTextOf("BYREF|I4 null", static_cast<VARTYPE>(VT_BYREF | VT_I4),
              [](VARIANT& v) { v.byref = nullptr; });

  VARIANT number;
  VariantInit(&number);
  V_VT(&number) = VT_I4;
  V_I4(&number) = 5;
  VARIANT text;
  VariantInit(&text);
  std::printf("text I4 5 to type 0x7F: hr=0x%08X\n",
              Hex(VariantChangeType(&text, &number, 0, static_cast<VARTYPE>(0x7F))));
  std::printf("text I4 5 to VOID: hr=0x%08X\n", Hex(VariantChangeType(&text, &number, 0, VT_VOID)));
  HRESULT hr = VariantChangeType(&number, &number, 0, VT_BSTR);
  std::printf("text I4 5 in place: hr=0x%08X vt=%u %s\n", Hex(hr),
              static_cast<unsigned>(V_VT(&number)), BstrDescription(V_BSTR(&number)).c_str());
  VariantClear(&number);
}

// An object that counts its references, to see what VARIANT copies and clears do with them.
class CountedObject : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (IsEqualIID(riid, IID_IUnknown)) {
      *object = static_cast<IUnknown*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
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
  WideString withNul = Wide(u"ab\0cd", 5);
  BSTR embedded = SysAllocStringLen(withNul.c_str(), 5);
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
  hr = VariantClear(&value);
  std::printf("clear BSTR: hr=0x%08X vt=%u\n", Hex(hr), static_cast<unsigned>(V_VT(&value)));

  std::printf("bstr SysStringLen(null): %u\n", SysStringLen(nullptr));
  std::printf("bstr SysAllocString(null): %s\n", BstrDescription(SysAllocString(nullptr)).c_str());
  WideString empty = Wide(u"");
  BSTR emptyText = SysAllocString(empty.c_str());
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

  V_VT(&value) = static_cast<VARTYPE>(15);
  hr = VariantClear(&value);
  std::printf("clear type 15: hr=0x%08X vt=%u\n", Hex(hr), static_cast<unsigned>(V_VT(&value)));
  V_VT(&value) = VT_VOID;
  hr = VariantClear(&value);
  std::printf("clear VOID: hr=0x%08X vt=%u\n", Hex(hr), static_cast<unsigned>(V_VT(&value)));
  V_VT(&value) = VT_I4;
  V_VT(&copy) = static_cast<VARTYPE>(0x7F);
  hr = VariantCopy(&copy, &value);
  std::printf("copy onto type 0x7F: hr=0x%08X vt=%u\n", Hex(hr),
              static_cast<unsigned>(V_VT(&copy)));
  V_VT(&copy) = VT_EMPTY;
  V_VT(&value) = static_cast<VARTYPE>(0x7F);
  hr = VariantCopy(&copy, &value);
  std::printf("copy from type 0x7F: hr=0x%08X vt=%u\n", Hex(hr),
              static_cast<unsigned>(V_VT(&copy)));
}

void PrintToWide(const char* label, UINT codePage, DWORD flags, const char* text, int bytes) {
  SetLastError(0);
  int needed = MultiByteToWideChar(codePage, flags, text, bytes, nullptr, 0);
  DWORD sizeError = GetLastError();
  if (needed <= 0) {
    std::printf("to wide %s: size=%d error=%lu\n", label, needed,
                static_cast<unsigned long>(sizeError));
    return;
  }
  WideString wide(static_cast<std::size_t>(needed), OLECHAR(0));
  int written = MultiByteToWideChar(codePage, flags, text, bytes, wide.data(), needed);
  std::printf("to wide %s: size=%d written=%d \"%s\"\n", label, needed, written,
              Escaped(wide.c_str(), static_cast<UINT>(written)).c_str());
  if (needed > 1) {
    SetLastError(0);
    int shortWritten = MultiByteToWideChar(codePage, flags, text, bytes, wide.data(), needed - 1);
    std::printf("to wide %s one short: written=%d error=%lu\n", label, shortWritten,
                static_cast<unsigned long>(GetLastError()));
  }
}

void PrintToNarrow(const char* label, UINT codePage, const WideString& wide, int units) {
  SetLastError(0);
  int needed = WideCharToMultiByte(codePage, 0, wide.c_str(), units, nullptr, 0, nullptr, nullptr);
  DWORD sizeError = GetLastError();
  if (needed <= 0) {
    std::printf("to narrow %s: size=%d error=%lu\n", label, needed,
                static_cast<unsigned long>(sizeError));
    return;
  }
  std::string narrow(static_cast<std::size_t>(needed), '\0');
  int written = WideCharToMultiByte(codePage, 0, wide.c_str(), units, narrow.data(), needed,
                                    nullptr, nullptr);
  std::printf("to narrow %s: size=%d written=%d [%s]\n", label, needed, written,
              BytesInHex(narrow.data(), written).c_str());
  if (needed > 1) {
    SetLastError(0);
    int shortWritten = WideCharToMultiByte(codePage, 0, wide.c_str(), units, narrow.data(),
                                           needed - 1, nullptr, nullptr);
    std::printf("to narrow %s one short: written=%d error=%lu\n", label, shortWritten,
                static_cast<unsigned long>(GetLastError()));
  }
}

void PrintCodePages() {
  PrintToWide("ACP \"DLL\" with terminator", CP_ACP, 0, "DLL", -1);
  PrintToWide("ACP \"Components\" without terminator", CP_ACP, 0, "Components", 10);
  PrintToWide("ACP \"\" with terminator", CP_ACP, 0, "", -1);
  PrintToWide("ACP no bytes", CP_ACP, 0, "x", 0);
  PrintToWide("UTF8 path with non-ASCII", CP_UTF8, 0,
              "C:\\Gr\xC3\xBC\xC3\x9F"
              "e\\\xE2\x82\xAC\xF0\x9F\x98\x80.dll",
              -1);
  PrintToWide("UTF8 lone continuation", CP_UTF8, 0, "a\x80z", -1);
  PrintToWide("UTF8 lone continuation strict", CP_UTF8, MB_ERR_INVALID_CHARS, "a\x80z", -1);
  PrintToWide("UTF8 truncated sequence", CP_UTF8, 0, "a\xE2\x82z", -1);
  PrintToWide("UTF8 truncated at end", CP_UTF8, 0, "a\xE2\x82", 3);
  PrintToWide("UTF8 overlong slash", CP_UTF8, 0, "a\xC0\xAFz", -1);
  PrintToWide("UTF8 encoded surrogate", CP_UTF8, 0, "a\xED\xA0\x80z", -1);
  PrintToWide("UTF8 above U+10FFFF", CP_UTF8, 0, "a\xF4\x90\x80\x80z", -1);
  PrintToWide("UTF8 byte FF", CP_UTF8, 0, "a\xFFz", -1);

  PrintToNarrow("ACP \"DLL\" with terminator", CP_ACP, Wide(u"DLL"), -1);
  PrintToNarrow("ACP \"\" with terminator", CP_ACP, Wide(u""), -1);
  PrintToNarrow("UTF8 path with non-ASCII", CP_UTF8,
                Wide(u"C:\\Gr\u00fc\u00dfe\\\u20ac\U0001F600.dll"), -1);
  PrintToNarrow("UTF8 three-byte units", CP_UTF8, Wide(u"\u20ac\u20ac\u20ac"), 3);
  const char16_t lowAlone[] = {u'a', 0xDC00, u'z', 0};
  PrintToNarrow("UTF8 lone low surrogate", CP_UTF8, Wide(lowAlone), -1);
  const char16_t highAlone[] = {u'a', 0xD800, u'z', 0};
  PrintToNarrow("UTF8 lone high surrogate", CP_UTF8, Wide(highAlone), -1);
  const char16_t highAtEnd[] = {u'a', 0xD800};
  PrintToNarrow("UTF8 high surrogate at end", CP_UTF8, Wide(highAtEnd, 2), 2);

  std::printf("lstrcmpA equal: %s\n", lstrcmpA("MyApp", "MyApp") == 0 ? "same" : "differ");
  std::printf("lstrcmpA case: %s\n", lstrcmpA("MyApp", "myapp") == 0 ? "same" : "differ");
  std::printf("lstrcmpA empty: %s\n", lstrcmpA("", "") == 0 ? "same" : "differ");
  std::printf("lstrcmpA prefix: %s\n", lstrcmpA("MyApp", "MyApp2") == 0 ? "same" : "differ");
}

}  // namespace

int main() {
  PrintIntegers();
  PrintReals();
  PrintOthers();
  PrintInterfaces();
  PrintBstrs();
  PrintCodePages();
  return 0;
}
