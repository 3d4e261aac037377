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
  FakeProcTree() { SetProcRoot(Folder()); }
  ~FakeProcTree() {
    SetProcRoot("");
    ClearFaults();
  }

  // A process named name whose maps show files, as MapsTextFor gives them; the first is its
  // executable. Its root is the system's, and it has no map_files: files are found by path.
  void AddProcess(std::uint32_t processId, std::string_view name,
                  const std::vector<std::string>& files = {}) const;
  // A process folder whose files are gone: the process ended while the tree was read.
  void AddEndedProcess(std::uint32_t processId) const;
  // Removes a process's maps, as if it ended after the process list was read.
  void EndProcess(std::uint32_t processId) const;
  // Gives a process map_files: a link for each mapping of MapsTextFor, to its target.
  void LinkMappings(std::uint32_t processId, const std::vector<std::string>& targets) const;

  // A file in the tree's folder: a process's own ("10/maps"), or one beside the processes.
  std::string WriteFile(std::string_view name, std::string_view bytes) const {
    return folder_.Write(name, bytes);
  }
  std::string Folder() const { return folder_.Path().string(); }

 private:
  TempFolder folder_;
};

// Maps text for the given files, a line each, under the given names where one is given; a
// missing file gets an inode that no file has.
std::string MapsTextFor(const std::vector<std::string>& files,
                        const std::vector<std::string>& names = {});
