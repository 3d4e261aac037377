// System errors as the report names them.
#pragma once

#include <string>

#include "platform/win32.h"

// A Win32 error code or an HRESULT, and where the report words a failure itself, its text.
struct SystemError {
  DWORD code = 0;
  bool isHresult = false;
  // In place of what the system says of the code: for failures the system's text would not
  // describe, and which must read the same on every system.
  const char* text = nullptr;
};

inline SystemError Win32Error(DWORD code) {
  return {code, false};
}
inline SystemError LastWin32Error() {
  return Win32Error(GetLastError());
}
inline SystemError ComFailure(HRESULT hr) {
  return {static_cast<DWORD>(hr), true};
}

// "error 5: TEXT" for a Win32 code, "error 0x80040154: TEXT" for an HRESULT, where TEXT is
// the error's own text or else what the system says of it; the number alone when it says
// nothing.
std::string DescribeError(const SystemError& error);
