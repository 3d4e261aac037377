// The one owner of an open file descriptor of this layer.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <utility>

class Descriptor {
 public:
  Descriptor() = default;
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(Descriptor&& other) noexcept : fd_(other.Release()) {}
  Descriptor& operator=(Descriptor&& other) noexcept {
    Reset(other.Release());
    return *this;
  }
  ~Descriptor() { Reset(); }

  int Get() const { return fd_; }
  bool IsOpen() const { return fd_ >= 0; }
  int Release() { return std::exchange(fd_, -1); }
  // Closes what is held, keeping errno as it was, and holds fd instead.
  void Reset(int fd = -1) {
    if (fd_ >= 0) {
      const int error = errno;
      ::close(fd_);
      errno = error;
    }
    fd_ = fd;
  }

 private:
  int fd_ = -1;
};
