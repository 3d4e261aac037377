// Text exchanged with COM objects: BSTRs and VARIANTs turned into narrow text in the ANSI
// code page, and narrow literals turned into BSTRs. Every failure raises _com_error.
#pragma once

#include <memory>

#include "platform/win32.h"

// A reference-counted holder of one BSTR (which may be null) and, made on first request and
// kept, its narrow copy. The last copy of a holder frees both.
class ComText {
 public:
  // Takes ownership of text.
  explicit ComText(BSTR text);

  BSTR Wide() const;
  // The narrow copy: the BSTR up to its first NUL, converted to the ANSI code page; "" for a
  // null BSTR.
  const char* Narrow() const;

 private:
  struct Record;
  std::shared_ptr<Record> record_;
};

// The text of a VARIANT: a VT_BSTR is copied up to its first NUL; any other type is converted
// with VariantChangeType(..., VT_BSTR) first.
ComText TextOfVariant(const VARIANT& value);

// A new BSTR from narrow text in the ANSI code page; null text gives a null BSTR and "" an
// empty one. The caller frees it with SysFreeString.
BSTR BstrFromNarrow(const char* text);

// VARIANT helpers that raise _com_error when the platform call fails.
void InitEmptyTextVariant(VARIANT* value);  // VT_BSTR holding ""
void ClearVariant(VARIANT* value);
void CopyVariant(VARIANT* destination, const VARIANT* source);

// The owner of one VARIANT. Clear() empties it where the walk says, raising _com_error when
// that fails; the destructor clears whatever is still held, on the way out of a failure too,
// and raises nothing.
class Variant {
 public:
  Variant() { VariantInit(&value_); }
  // Takes over what adopted holds.
  explicit Variant(const VARIANT& adopted) : value_(adopted) {}
  // A VT_BSTR holding "".
  struct EmptyText {};
  explicit Variant(EmptyText) { InitEmptyTextVariant(&value_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  ~Variant() { VariantClear(&value_); }

  const VARIANT& Get() const { return value_; }
  // The out-argument of a call that fills it. What it held is cleared first: by COM's rules
  // the callee overwrites an out-argument without freeing it.
  VARIANT* Put() {
    Clear();
    return &value_;
  }
  void Clear() { ClearVariant(&value_); }

 private:
  VARIANT value_;
};
