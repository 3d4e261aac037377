#if !defined(_WIN32)
#include "support/fake_proc_tree.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;

std::string MapsTextFor(const std::vector<std::string>& files) {
  std::string maps;
  for (std::size_t i = 0; i < files.size(); ++i) {
    struct stat status {};
    if (::stat(files[i].c_str(), &status) != 0) status.st_ino = 999999000 + i;
    char identity[64];
    std::snprintf(identity, sizeof identity, "%x:%x %llu    ", major(status.st_dev),
                  minor(status.st_dev), static_cast<unsigned long long>(status.st_ino));
    const std::string page = std::to_string(i + 1);  // read as hexadecimal, rising
    maps += page + "000-" + page + "800 r-xp 00000000 " + identity + files[i] + "\n";
  }
  return maps;
}

void FakeProcTree::AddProcess(std::uint32_t processId, std::string_view name,
                              const std::vector<std::string>& files) const {
  AddEndedProcess(processId);
  const std::string id = std::to_string(processId);
  WriteFile(id + "/comm", std::string(name) + "\n");
  WriteFile(id + "/maps", MapsTextFor(files));
  fs::create_directory_symlink("/", folder_.Path() / id / "root");
  if (!files.empty()) fs::create_symlink(files[0], folder_.Path() / id / "exe");
}

void FakeProcTree::AddEndedProcess(std::uint32_t processId) const {
  fs::create_directory(folder_.Path() / std::to_string(processId));
}

void FakeProcTree::EndProcess(std::uint32_t processId) const {
  fs::remove(folder_.Path() / std::to_string(processId) / "maps");
}
#endif
