// OLE Automation VARIANTs, laid out as on Windows. Every string they hold is made and freed by the
// BSTR allocator (bstr.cpp) through its public calls.
// VARIANT conversions cover what the program needs: any scalar to text. The number formats
// are those Windows gives for the "C"/English locale, checked against Wine's oleaut32 with the
// com_differential test program. Deliberate differences from Windows:
// - VT_DATE, VT_DECIMAL, VT_RECORD and arrays are not converted (DISP_E_TYPEMISMATCH), and
//   VariantClear/VariantCopy refuse arrays and records (DISP_E_BADVARTYPE): no code here
//   makes them.
// - An object (VT_DISPATCH, VT_UNKNOWN) is never asked for its value property: converting it
//   gives DISP_E_TYPEMISMATCH.
// - Conversions to types other than VT_BSTR (or the value's own type) give DISP_E_TYPEMISMATCH.
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "platform/linux/win32_subset.h"

namespace {

constexpr VARTYPE VT_CLSID_TYPE = 72;
constexpr VARTYPE VT_VECTOR_FLAG = 0x1000;
constexpr VARTYPE VT_RESERVED_FLAG = 0x8000;
constexpr VARTYPE VT_TYPE_MASK = 0x0FFF;

// The type rules Windows applies before it touches a VARIANT: the plain types up to VT_UINT
// (15 is unassigned), records and class ids, each also by reference or as an array, except
// that VT_EMPTY and VT_NULL exist only as plain values.
bool IsValidType(VARTYPE type) {
  VARTYPE extra = type & ~VT_TYPE_MASK;
  VARTYPE base = type & VT_TYPE_MASK;
  if (extra & (VT_VECTOR_FLAG | VT_RESERVED_FLAG)) return false;
  if (base == 15) return false;
  if (base >= VT_VOID && base != VT_RECORD && base != VT_CLSID_TYPE) return false;
  if ((extra & (VT_BYREF | VT_ARRAY)) && base <= VT_NULL) return false;
  return true;
}

BSTR BstrFromAscii(const char* text) {
  std::size_t units = std::strlen(text);
  std::basic_string<OLECHAR> wide(text, text + units);
  return SysAllocStringLen(wide.data(), static_cast<UINT>(units));
}

std::string TextOfSigned(long long value) {
  return std::to_string(value);
}

std::string TextOfUnsigned(unsigned long long value) {
  return std::to_string(value);
}

// Windows prints reals with 15 (double) or 7 (float) significant digits, the shorter of the
// plain and exponent forms as printf's %G chooses, and never prints a negative zero.
std::string TextOfReal(double value, int digits) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*G", digits, value);
  if (text[0] == '-' && std::strspn(text + 1, "0.") == std::strlen(text + 1)) {
    return std::string(text + 1);
  }
  return text;
}

// A currency value is a count of ten-thousandths; trailing zeros of the fraction are dropped.
std::string TextOfCurrency(LONGLONG tenThousandths) {
  bool negative = tenThousandths < 0;
  unsigned long long magnitude = negative ? 0ull - static_cast<unsigned long long>(tenThousandths)
                                          : static_cast<unsigned long long>(tenThousandths);
  std::string text = (negative ? "-" : "") + std::to_string(magnitude / 10000);
  unsigned long long fraction = magnitude % 10000;
  if (fraction != 0) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%04llu", fraction);
    std::string fractionText(digits);
    fractionText.erase(fractionText.find_last_not_of('0') + 1);
    text += "." + fractionText;
  }
  return text;
}

// A VARIANT that reads the value a VT_BYREF one points to; it owns nothing.
bool Dereference(const VARIANT& source, VARIANT* value) {
  *value = source;
  if (!(source.vt & VT_BYREF)) return true;
  if (source.byref == nullptr) return false;
  VARTYPE base = source.vt & ~VT_BYREF;
  if (base == VT_VARIANT) {
    const VARIANT* inner = static_cast<const VARIANT*>(source.byref);
    if (inner->vt & VT_BYREF) return false;
    *value = *inner;
    return true;
  }
  value->vt = base;
  value->llVal = 0;
  switch (base) {
    case VT_I1:
    case VT_UI1:
      std::memcpy(&value->bVal, source.byref, 1);
      break;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
      std::memcpy(&value->iVal, source.byref, 2);
      break;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_ERROR:
      std::memcpy(&value->lVal, source.byref, 4);
      break;
    case VT_I8:
    case VT_UI8:
    case VT_R8:
    case VT_CY:
    case VT_DATE:
      std::memcpy(&value->llVal, source.byref, 8);
      break;
    case VT_BSTR:
      value->bstrVal = *static_cast<BSTR*>(source.byref);
      break;
    case VT_UNKNOWN:
    case VT_DISPATCH:
      value->punkVal = *static_cast<IUnknown**>(source.byref);
      break;
    default:
      return false;
  }
  return true;
}

// The text of a plain (not by-reference) value as a new BSTR in *result.
HRESULT TextOf(const VARIANT& value, BSTR* result) {
  std::string text;
  switch (value.vt) {
    case VT_EMPTY:
      break;
    case VT_BSTR:
      // The whole string, as VariantCopy makes it.
      *result = SysAllocStringLen(value.bstrVal, SysStringLen(value.bstrVal));
      return *result == nullptr ? E_OUTOFMEMORY : S_OK;
    case VT_I1:
      text = TextOfSigned(static_cast<signed char>(value.cVal));
      break;
    case VT_I2:
    case VT_BOOL:
      text = TextOfSigned(value.iVal);
      break;
    case VT_I4:
      text = TextOfSigned(value.lVal);
      break;
    case VT_INT:
      text = TextOfSigned(value.intVal);
      break;
    case VT_I8:
      text = TextOfSigned(value.llVal);
      break;
    case VT_UI1:
      text = TextOfUnsigned(value.bVal);
      break;
    case VT_UI2:
      text = TextOfUnsigned(value.uiVal);
      break;
    case VT_UI4:
      text = TextOfUnsigned(value.ulVal);
      break;
    case VT_UINT:
      text = TextOfUnsigned(value.uintVal);
      break;
    case VT_UI8:
      text = TextOfUnsigned(value.ullVal);
      break;
    case VT_R4:
      text = TextOfReal(static_cast<double>(value.fltVal), 7);
      break;
    case VT_R8:
      text = TextOfReal(value.dblVal, 15);
      break;
    case VT_CY:
      text = TextOfCurrency(value.cyVal.int64);
      break;
    default:
      return DISP_E_TYPEMISMATCH;
  }
  *result = BstrFromAscii(text.c_str());
  return *result == nullptr ? E_OUTOFMEMORY : S_OK;
}

}  // namespace

void WINAPI VariantInit(VARIANTARG* variant) {
  variant->vt = VT_EMPTY;
  variant->wReserved1 = 0;
  variant->wReserved2 = 0;
  variant->wReserved3 = 0;
}

HRESULT WINAPI VariantClear(VARIANTARG* variant) {
  if (!IsValidType(variant->vt)) return DISP_E_BADVARTYPE;
  if (!(variant->vt & VT_BYREF)) {
    if ((variant->vt & VT_ARRAY) || variant->vt == VT_RECORD) return DISP_E_BADVARTYPE;
    if (variant->vt == VT_BSTR) {
      SysFreeString(variant->bstrVal);
    } else if ((variant->vt == VT_UNKNOWN || variant->vt == VT_DISPATCH) &&
               variant->punkVal != nullptr) {
      variant->punkVal->Release();
    }
  }
  variant->vt = VT_EMPTY;
  return S_OK;
}

HRESULT WINAPI VariantCopy(VARIANTARG* destination, VARIANTARG* source) {
  if ((source->vt & VT_TYPE_MASK) == VT_CLSID_TYPE || !IsValidType(source->vt)) {
    return DISP_E_BADVARTYPE;
  }
  if (!(source->vt & VT_BYREF) && ((source->vt & VT_ARRAY) || source->vt == VT_RECORD)) {
    return DISP_E_BADVARTYPE;
  }
  if (destination == source) return S_OK;
  HRESULT hr = VariantClear(destination);
  if (FAILED(hr)) return hr;
  if (source->vt == VT_BSTR) {
    // The whole string, embedded NULs included; a null string becomes an empty one.
    BSTR copy = SysAllocStringLen(source->bstrVal, SysStringLen(source->bstrVal));
    if (copy == nullptr) return E_OUTOFMEMORY;
    *destination = *source;
    destination->bstrVal = copy;
    return S_OK;
  }
  *destination = *source;
  if ((source->vt == VT_UNKNOWN || source->vt == VT_DISPATCH) && source->punkVal != nullptr) {
    source->punkVal->AddRef();
  }
  return S_OK;
}

HRESULT WINAPI VariantChangeType(VARIANTARG* destination, VARIANTARG* source, USHORT,
                                 VARTYPE type) {
  if (!IsValidType(source->vt) || !IsValidType(type)) return DISP_E_BADVARTYPE;
  VARIANT value;
  if (!Dereference(*source, &value)) return DISP_E_TYPEMISMATCH;
  if ((value.vt & VT_ARRAY) || (type & VT_ARRAY)) return DISP_E_TYPEMISMATCH;

  VARIANT converted;
  VariantInit(&converted);
  HRESULT hr = DISP_E_TYPEMISMATCH;
  if (type == VT_BSTR) {
    BSTR text = nullptr;
    hr = TextOf(value, &text);
    if (SUCCEEDED(hr)) {
      converted.vt = VT_BSTR;
      converted.bstrVal = text;
    }
  } else if (type == value.vt) {
    hr = VariantCopy(&converted, &value);
  }
  if (FAILED(hr)) return hr;

  // The source may be the destination: it is cleared only after the conversion is made.
  hr = VariantClear(destination);
  if (FAILED(hr)) {
    VariantClear(&converted);
    return hr;
  }
  *destination = converted;
  return S_OK;
}
