#include "platform/standard_io.h"

#include <cerrno>
#include <unistd.h>

namespace {

void WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t written = ::write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
}

}  // namespace

void PrepareStandardOutput() {}

void WriteAllToStandardOutput(const char* data, std::size_t size) {
  WriteAll(1, data, size);
}

void WriteAllToStandardError(const char* data, std::size_t size) {
  WriteAll(2, data, size);
}

void EndProcessAtOnce(int status) {
  ::_exit(status);
}
