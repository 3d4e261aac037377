// The one owner of a file the summary writes.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

class OutputFile {
 public:
  // Creates the file, or empties it. IsOpen says whether that worked, Error why not.
  explicit OutputFile(std::string path);
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile();

  bool IsOpen() const { return file_ != nullptr; }
  const std::string& Path() const { return path_; }

  // Writes the bytes as they are; a failure is kept for Close.
  void Write(std::string_view bytes);
  // Writes out what is buffered and closes the file. False when any write failed, with the
  // reason in error.
  bool Close(std::string& error);

 private:
  std::string path_;
  std::FILE* file_ = nullptr;
  int failure_ = 0;  // the errno of the first failure
};

// "cannot write PATH (REASON)", for a message.
std::string CannotWrite(std::string_view path, int failure);
