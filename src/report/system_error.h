// System errors as the report names them.
#pragma once

#include <string>

#include "platform/win32.h"

// A Win32 error code or an HRESULT.
struct SystemError {
  DWORD code = 0;
  bool isHresult = false;
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
// what the system says of it; the number alone when it says nothing.
std::string DescribeError(const SystemError& error);
