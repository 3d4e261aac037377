#include "platform/standard_io.h"

#include <climits>
#include <fcntl.h>
#include <io.h>
#include <stdlib.h>

namespace {

void WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    unsigned chunk = size > INT_MAX ? INT_MAX : static_cast<unsigned>(size);
    int written = ::_write(fd, data, chunk);
    if (written <= 0) return;
    data += written;
    size -= static_cast<std::size_t>(written);
  }
}

}  // namespace

// The report brings its own CR LF; text mode would turn it into CR CR LF.
void PrepareStandardOutput() {
  ::_setmode(1, _O_BINARY);
}

void WriteAllToStandardOutput(const char* data, std::size_t size) {
  WriteAll(1, data, size);
}

void WriteAllToStandardError(const char* data, std::size_t size) {
  ::_setmode(2, _O_BINARY);
  WriteAll(2, data, size);
}

void EndProcessAtOnce(int status) {
  ::_exit(status);
}
