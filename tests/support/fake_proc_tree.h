// A process tree in a folder of its own that the platform layer reads instead of the
// system's, with faults that tests inject into the layer's calls. One per test.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "support/link_seams.h"
#include "support/temp_folder.h"

class FakeProcTree {
 public:
  FakeProcTree();
  FakeProcTree(const FakeProcTree&) = delete;
  FakeProcTree& operator=(const FakeProcTree&) = delete;
  ~FakeProcTree();

  // A process named name whose maps show files, each file once, in this order, with the
  // device and inode it has; the first is its executable. Its map_files folder links each
  // mapping to its file, unless mapFiles is false: as for a scan without the capability to
  // follow those links. Its root is the system's.
  void AddProcess(std::uint32_t processId, std::string_view name,
                  const std::vector<std::string>& files = {}, bool mapFiles = true);
  // A process with the literal maps text given, and its executable link to exePath.
  void AddProcessWithMaps(std::uint32_t processId, std::string_view name, std::string_view maps,
                          const std::string& exePath = "");
  // A process folder whose files are gone: the process ended while the tree was read.
  void AddEndedProcess(std::uint32_t processId);
  // Removes a process's maps, as if it ended after the process list was read.
  void EndProcess(std::uint32_t processId);

  // A file in the tree's own scratch folder, outside the process folders.
  std::string WriteFile(std::string_view name, std::string_view bytes) const;
  std::string Folder() const { return root_.Path().string(); }

 private:
  std::string ProcessFolder(std::uint32_t processId) const;
  TempFolder root_;
  TempFolder files_;
};

// Maps text for the given files: one read-only and one executable line each, at rising
// addresses, with a [heap] and an anonymous line among them. A file that does not exist gets
// an inode of its own that no file has.
std::string MapsTextFor(const std::vector<std::string>& files);
