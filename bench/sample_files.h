// What the benchmarks share: a temporary folder of sample files, the bare cost of reading a
// file the way the check does, and a report that goes nowhere.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "inspect/project_header.h"

// A folder of files made for one benchmark, removed with them at the end.
class SampleFiles {
 public:
  explicit SampleFiles(std::string_view tag)
      : folder_(std::filesystem::temp_directory_path() /
                ("quentix-" + std::string(tag) + "-" + std::to_string(::getpid()))) {
    std::filesystem::create_directories(folder_);
  }
  SampleFiles(const SampleFiles&) = delete;
  SampleFiles& operator=(const SampleFiles&) = delete;
  ~SampleFiles() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  // Writes the next file, sample<N>.dll, and lists it.
  void Add(std::string_view bytes) {
    std::string name = "sample";
    name.append(std::to_string(paths_.size())).append(".dll");
    paths_.push_back((folder_ / name).string());
    std::ofstream(paths_.back(), std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  // Lists a file that lies elsewhere.
  void AddExisting(std::string path) { paths_.push_back(std::move(path)); }

  const std::filesystem::path& Folder() const { return folder_; }
  const std::vector<std::string>& Paths() const { return paths_; }
  std::vector<std::string>& MutablePaths() { return paths_; }

 private:
  std::filesystem::path folder_;
  std::vector<std::string> paths_;
};

// open, read(64000), close: all that getting a file's bytes for the check costs.
inline void OpenReadClose(const std::string& path) {
  static unsigned char buffer[SCAN_LIMIT];
  const int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) return;
  [[maybe_unused]] const ssize_t got = ::read(fd, buffer, sizeof buffer);
  ::close(fd);
}

inline bool DropReport(const char*, std::size_t, void*) {
  return true;
}
