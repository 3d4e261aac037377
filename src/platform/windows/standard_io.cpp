#include "platform/standard_io.h"

#include <climits>
#include <stdlib.h>

#include "platform/win32.h"

namespace {

// WriteFile on the handle itself: no C library text mode turns the report's CR LF into
// CR CR LF, and a failure leaves its code in the last error.
bool WriteAll(DWORD which, const char* data, std::size_t size) {
  HANDLE handle = GetStdHandle(which);
  while (size > 0) {
    const DWORD chunk = size > INT_MAX ? INT_MAX : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(handle, data, chunk, &written, nullptr)) return false;
    if (written == 0) {
      SetLastError(ERROR_WRITE_FAULT);
      return false;
    }
    data += written;
    size -= written;
  }
  return true;
}

}  // namespace

void PrepareStandardOutput() {}

bool WriteAllToStandardOutput(const char* data, std::size_t size) {
  return WriteAll(STD_OUTPUT_HANDLE, data, size);
}

bool WriteAllToStandardError(const char* data, std::size_t size) {
  return WriteAll(STD_ERROR_HANDLE, data, size);
}

void EndProcessAtOnce(int status) {
  ::_exit(status);
}
