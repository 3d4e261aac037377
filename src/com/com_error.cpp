#include "com/com_error.h"

void RaiseComError(HRESULT hr) {
  throw _com_error(hr);
}

void RaiseLastError() {
  DWORD code = GetLastError();
  // The Win32 facility with the code's low 16 bits; a code of 0 stays 0.
  RaiseComError(code == 0 ? S_OK : static_cast<HRESULT>(0x80070000u | (code & 0xFFFFu)));
}
