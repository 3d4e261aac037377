#include "com/com_text.h"

#include <new>

#include "com/com_error.h"

namespace {

// The BSTR up to its first NUL, as new narrow text in the ANSI code page. The buffer is sized
// by asking the conversion first: with a UTF-8 code page one 16-bit unit can take three bytes.
char* NarrowCopy(BSTR text) {
  int bytes = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (bytes == 0) RaiseLastError();
  char* narrow = new (std::nothrow) char[static_cast<std::size_t>(bytes)];
  if (narrow == nullptr) RaiseComError(E_OUTOFMEMORY);
  if (WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, bytes, nullptr, nullptr) == 0) {
    delete[] narrow;
    RaiseLastError();
  }
  return narrow;
}

// A copy of text up to its first NUL; null stays null.
BSTR CopyUpToNul(BSTR text) {
  if (text == nullptr) return nullptr;
  BSTR copy = SysAllocString(text);
  if (copy == nullptr) RaiseComError(E_OUTOFMEMORY);
  return copy;
}

}  // namespace

struct ComText::Record {
  explicit Record(BSTR text) : wide(text) {}
  Record(const Record&) = delete;
  Record& operator=(const Record&) = delete;
  ~Record() {
    SysFreeString(wide);
    delete[] narrow;
  }

  BSTR wide;
  char* narrow = nullptr;
};

ComText::ComText(BSTR text) {
  // The holder owns text from here on, even when the record cannot be made.
  Record* record = new (std::nothrow) Record(text);
  if (record == nullptr) {
    SysFreeString(text);
    RaiseComError(E_OUTOFMEMORY);
  }
  try {
    record_.reset(record);  // deletes the record itself when its count cannot be allocated
  } catch (const std::bad_alloc&) {
    RaiseComError(E_OUTOFMEMORY);
  }
}

BSTR ComText::Wide() const {
  return record_->wide;
}

const char* ComText::Narrow() const {
  if (record_->wide == nullptr) return "";
  if (record_->narrow == nullptr) record_->narrow = NarrowCopy(record_->wide);
  return record_->narrow;
}

ComText TextOfVariant(const VARIANT& value) {
  if (value.vt == VT_BSTR) return ComText(CopyUpToNul(value.bstrVal));
  VARIANT text;
  VariantInit(&text);
  // Some SDK headers declare the source without const; it is only read.
  const HRESULT hr = VariantChangeType(&text, const_cast<VARIANT*>(&value), 0, VT_BSTR);
  if (FAILED(hr)) RaiseComError(hr);
  return ComText(text.bstrVal);  // the holder takes the converted string over
}

BSTR BstrFromNarrow(const char* text) {
  if (text == nullptr) return nullptr;
  // Converted straight into the BSTR, sized by asking first. With CP_ACP, no flags and that
  // size, the conversion cannot fail; the size counts the terminating NUL, the BSTR does not.
  const int units = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  BSTR result = SysAllocStringLen(nullptr, static_cast<UINT>(units - 1));
  if (result == nullptr) RaiseComError(E_OUTOFMEMORY);
  MultiByteToWideChar(CP_ACP, 0, text, -1, result, units);
  return result;
}

void InitEmptyTextVariant(VARIANT* value) {
  value->bstrVal = BstrFromNarrow("");
  value->vt = VT_BSTR;
}

void ClearVariant(VARIANT* value) {
  HRESULT hr = VariantClear(value);
  if (FAILED(hr)) RaiseComError(hr);
}

void CopyVariant(VARIANT* destination, const VARIANT* source) {
  HRESULT hr = VariantCopy(destination, const_cast<VARIANT*>(source));
  if (FAILED(hr)) RaiseComError(hr);
}
