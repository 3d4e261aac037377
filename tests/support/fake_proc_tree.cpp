#if !defined(_WIN32)
#include "support/fake_proc_tree.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

// The range of the mapping of the i-th file: pages that rise, read as hexadecimal.
std::string RangeOf(std::size_t i) {
  return std::to_string(i + 1) + "000-" + std::to_string(i + 1) + "800";
}

}  // namespace

std::string MapsTextFor(const std::vector<std::string>& files,
                        const std::vector<std::string>& names) {
  std::string maps;
  for (std::size_t i = 0; i < files.size(); ++i) {
    struct stat status {};
    if (::stat(files[i].c_str(), &status) != 0) status.st_ino = 999999000 + i;
    char identity[64];
    std::snprintf(identity, sizeof identity, "%x:%x %llu    ", major(status.st_dev),
                  minor(status.st_dev), static_cast<unsigned long long>(status.st_ino));
    const bool named = i < names.size() && !names[i].empty();
    maps += RangeOf(i) + " r-xp 00000000 " + identity + (named ? names[i] : files[i]) + "\n";
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

void FakeProcTree::LinkMappings(std::uint32_t processId,
                                const std::vector<std::string>& targets) const {
  const fs::path links = folder_.Path() / std::to_string(processId) / "map_files";
  fs::create_directory(links);
  for (std::size_t i = 0; i < targets.size(); ++i)
    fs::create_symlink(targets[i], links / RangeOf(i));
}

void FakeProcTree::EndProcess(std::uint32_t processId) const {
  fs::remove(folder_.Path() / std::to_string(processId) / "maps");
}
#endif
