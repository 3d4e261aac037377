#if !defined(_WIN32)
#include "support/fake_proc_tree.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t FIRST_ADDRESS = 0x7f0000000000;

std::string MapsLineText(std::uint64_t start, const char* permissions, const char* identity,
                         std::string_view name) {
  char prefix[128];
  std::snprintf(prefix, sizeof prefix, "%llx-%llx %s 00000000 %-16s ",
                static_cast<unsigned long long>(start),
                static_cast<unsigned long long>(start + 0x1000), permissions, identity);
  return std::string(prefix) + std::string(name) + "\n";
}

// The map_files name of the mapping at start, as MapsTextFor lays them out.
std::string RangeName(std::uint64_t start) {
  char name[64];
  std::snprintf(name, sizeof name, "%llx-%llx", static_cast<unsigned long long>(start),
                static_cast<unsigned long long>(start + 0x1000));
  return name;
}

}  // namespace

std::string MapsTextFor(const std::vector<std::string>& files) {
  std::string maps;
  std::uint64_t address = FIRST_ADDRESS;
  for (std::size_t i = 0; i < files.size(); ++i) {
    struct stat status {};
    char identity[64];
    if (::stat(files[i].c_str(), &status) == 0)
      std::snprintf(identity, sizeof identity, "%02x:%02x %llu", major(status.st_dev),
                    minor(status.st_dev), static_cast<unsigned long long>(status.st_ino));
    else
      std::snprintf(identity, sizeof identity, "00:00 %zu", 999999000 + i);
    maps += MapsLineText(address, "r--p", identity, files[i]);
    maps += MapsLineText(address + 0x1000, "r-xp", identity, files[i]);
    if (i == 0) maps += MapsLineText(address + 0x2000, "rw-p", "00:00 0", "[heap]");
    maps += MapsLineText(address + 0x3000, "rw-p", "00:00 0", "");
    address += 0x10000;
  }
  return maps;
}

FakeProcTree::FakeProcTree() {
  SetProcRoot(Folder());
}

FakeProcTree::~FakeProcTree() {
  SetProcRoot("");
  ClearFaults();
}

std::string FakeProcTree::ProcessFolder(std::uint32_t processId) const {
  return (root_.Path() / std::to_string(processId)).string();
}

void FakeProcTree::AddProcess(std::uint32_t processId, std::string_view name,
                              const std::vector<std::string>& files, bool mapFiles) {
  AddProcessWithMaps(processId, name, MapsTextFor(files), files.empty() ? "" : files[0]);
  if (!mapFiles) return;
  const fs::path links = fs::path(ProcessFolder(processId)) / "map_files";
  fs::create_directory(links);
  for (std::size_t i = 0; i < files.size(); ++i)
    for (std::uint64_t start : {FIRST_ADDRESS + i * 0x10000, FIRST_ADDRESS + i * 0x10000 + 0x1000})
      fs::create_symlink(files[i], links / RangeName(start));
}

void FakeProcTree::AddProcessWithMaps(std::uint32_t processId, std::string_view name,
                                      std::string_view maps, const std::string& exePath) {
  const std::string folder = std::to_string(processId);
  fs::create_directories(root_.Path() / folder / "task" / folder);
  root_.Write(folder + "/comm", std::string(name) + "\n");
  root_.Write(folder + "/maps", maps);
  fs::create_directory_symlink("/", root_.Path() / folder / "root");
  if (!exePath.empty()) fs::create_symlink(exePath, root_.Path() / folder / "exe");
}

void FakeProcTree::AddEndedProcess(std::uint32_t processId) {
  fs::create_directory(ProcessFolder(processId));
}

void FakeProcTree::EndProcess(std::uint32_t processId) {
  fs::remove(fs::path(ProcessFolder(processId)) / "maps");
}

std::string FakeProcTree::WriteFile(std::string_view name, std::string_view bytes) const {
  return files_.Write(name, bytes);
}
#endif
