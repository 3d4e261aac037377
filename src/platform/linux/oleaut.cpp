// OLE Automation VARIANTs for the values a COM+ catalog hands this program: names and paths
// as VT_BSTR, numbers as VT_I4, and VT_EMPTY or VT_NULL for a value not set. Every string they
// hold is made and freed by the BSTR allocator (bstr.cpp) through its public calls. Results
// are those of Windows: the unit tests expect the same of this layer and, under Wine, of its
// oleaut32. Deliberate differences, for types nothing on this system makes:
// - any other type is refused with DISP_E_BADVARTYPE, as Windows refuses a type that does
//   not exist;
// - VariantChangeType converts to VT_BSTR alone; any other target gives DISP_E_TYPEMISMATCH.
#include <string>

#include "platform/linux/win32_subset.h"

namespace {

bool IsHeldType(VARTYPE type) {
  return type == VT_EMPTY || type == VT_NULL || type == VT_I4 || type == VT_BSTR;
}

// The whole string, embedded NULs included; a null string gives an empty one.
BSTR CopyOfText(BSTR text) {
  return SysAllocStringLen(text, SysStringLen(text));
}

// The text of a held value other than VT_NULL, as a new BSTR: VT_EMPTY gives "".
BSTR TextOf(const VARIANT& value) {
  if (value.vt == VT_BSTR) return CopyOfText(value.bstrVal);
  const std::string digits = value.vt == VT_I4 ? std::to_string(value.lVal) : "";
  const std::basic_string<OLECHAR> units(digits.begin(), digits.end());
  return SysAllocStringLen(units.data(), static_cast<UINT>(units.size()));
}

// Puts made, a value just made here, in place of what destination held; made is freed again
// when that cannot be cleared.
HRESULT Replace(VARIANTARG* destination, VARIANT made) {
  const HRESULT hr = VariantClear(destination);
  if (FAILED(hr)) {
    VariantClear(&made);
    return hr;
  }
  *destination = made;
  return S_OK;
}

}  // namespace

void WINAPI VariantInit(VARIANTARG* variant) {
  variant->vt = VT_EMPTY;
}

HRESULT WINAPI VariantClear(VARIANTARG* variant) {
  if (!IsHeldType(variant->vt)) return DISP_E_BADVARTYPE;
  if (variant->vt == VT_BSTR) SysFreeString(variant->bstrVal);
  variant->vt = VT_EMPTY;
  return S_OK;
}

HRESULT WINAPI VariantCopy(VARIANTARG* destination, VARIANTARG* source) {
  if (!IsHeldType(source->vt)) return DISP_E_BADVARTYPE;
  VARIANT copy = *source;
  if (copy.vt == VT_BSTR) {
    copy.bstrVal = CopyOfText(source->bstrVal);
    if (copy.bstrVal == nullptr) return E_OUTOFMEMORY;
  }
  return Replace(destination, copy);
}

HRESULT WINAPI VariantChangeType(VARIANTARG* destination, VARIANTARG* source, USHORT,
                                 VARTYPE type) {
  if (!IsHeldType(source->vt)) return DISP_E_BADVARTYPE;
  if (type != VT_BSTR || source->vt == VT_NULL) return DISP_E_TYPEMISMATCH;
  VARIANT text;
  VariantInit(&text);
  text.vt = VT_BSTR;
  text.bstrVal = TextOf(*source);
  if (text.bstrVal == nullptr) return E_OUTOFMEMORY;
  return Replace(destination, text);
}
