// The one exception type for failures in COM text handling. It carries an HRESULT and
// nothing else. The scans catch it where they needed the text, name what it left unchecked,
// and go on with the rest.
#pragma once

#include "platform/win32.h"

class _com_error {
 public:
  explicit _com_error(HRESULT hr) noexcept : hr_(hr) {}
  HRESULT Error() const noexcept { return hr_; }

 private:
  HRESULT hr_;
};

[[noreturn]] void RaiseComError(HRESULT hr);

// Raises the HRESULT made from the thread's last-error code (0 when that code is 0).
[[noreturn]] void RaiseLastError();
