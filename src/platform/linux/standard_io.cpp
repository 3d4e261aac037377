#include "platform/standard_io.h"

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include "platform/linux/errors.h"

namespace {

// A descriptor left non-blocking by whoever opened it (a pipe to a slow reader, say) is
// waited on until it takes more: every byte goes out or the write fails.
bool WriteAll(int fd, const char* data, std::size_t size) {
  pollfd writable{.fd = fd, .events = POLLOUT, .revents = {}};
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0 && errno == EAGAIN && ::poll(&writable, 1, -1) == 1) continue;
    if (written < 0) {
      SetLastError(errno == EIO ? ERROR_WRITE_FAULT : Win32ErrorFromErrno(errno));
      return false;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace

// A reader that goes away, or a file-size limit reached, makes the next write fail (EPIPE,
// EFBIG), which the report tells of, instead of ending the process without a word.
void PrepareStandardOutput() {
  ::signal(SIGPIPE, SIG_IGN);
  ::signal(SIGXFSZ, SIG_IGN);
}

bool WriteAllToStandardOutput(const char* data, std::size_t size) {
  return WriteAll(1, data, size);
}

bool WriteAllToStandardError(const char* data, std::size_t size) {
  return WriteAll(2, data, size);
}

void EndProcessAtOnce(int status) {
  ::_exit(status);
}
