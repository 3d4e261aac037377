#if !defined(_WIN32)
#include "support/fake_proc_tree.h"

#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

std::string MapsLineText(std::uint64_t start, const char* permissions, std::string_view name) {
  char prefix[96];
  std::snprintf(prefix, sizeof prefix, "%012llx-%012llx %s 00000000 08:01 %-10u ",
                static_cast<unsigned long long>(start),
                static_cast<unsigned long long>(start + 0x1000), permissions,
                name.empty() ? 0u : 4242u);
  return std::string(prefix) + std::string(name) + "\n";
}

}  // namespace

std::string MapsTextFor(const std::vector<std::string>& files) {
  std::string maps;
  std::uint64_t address = 0x7f0000000000;
  for (std::size_t i = 0; i < files.size(); ++i) {
    maps += MapsLineText(address, "r--p", files[i]);
    maps += MapsLineText(address + 0x1000, "r-xp", files[i]);
    if (i == 0) maps += MapsLineText(address + 0x2000, "rw-p", "[heap]");
    maps += MapsLineText(address + 0x3000, "rw-p", "");
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
                              const std::vector<std::string>& modules) {
  AddProcessWithMaps(processId, name, MapsTextFor(modules), modules.empty() ? "" : modules[0]);
}

void FakeProcTree::AddProcessWithMaps(std::uint32_t processId, std::string_view name,
                                      std::string_view maps, const std::string& exePath) {
  const std::string folder = std::to_string(processId);
  fs::create_directory(root_.Path() / folder);
  root_.Write(folder + "/comm", std::string(name) + "\n");
  root_.Write(folder + "/maps", maps);
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
