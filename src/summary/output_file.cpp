#include "summary/output_file.h"

#include <cerrno>
#include <cstring>

#include "summary/output_text.h"

OutputFile::OutputFile(std::string path) : path_(std::move(path)) {
  errno = 0;
  file_ = std::fopen(path_.c_str(), "wb");
  if (file_ == nullptr) failure_ = errno == 0 ? EIO : errno;
}

OutputFile::~OutputFile() {
  if (file_ != nullptr) std::fclose(file_);
}

void OutputFile::Write(std::string_view bytes) {
  if (file_ == nullptr || failure_ != 0 || bytes.empty()) return;
  errno = 0;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())
    failure_ = errno == 0 ? EIO : errno;
}

bool OutputFile::Close(std::string& error) {
  if (file_ != nullptr) {
    errno = 0;
    if (std::fclose(file_) != 0 && failure_ == 0) failure_ = errno == 0 ? EIO : errno;
    file_ = nullptr;
  }
  if (failure_ == 0) return true;
  error = CannotWrite(path_, failure_);
  return false;
}

std::string CannotWrite(std::string_view path, int failure) {
  return "cannot write " + PrintableText(path) + " (" + std::strerror(failure) + ")";
}
