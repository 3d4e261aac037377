// The module list of one process, as its snapshot holds it.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "platform/linux/mapped_files.h"

// The regular files a process has mapped, each once, read from its maps when the snapshot is
// taken: in the order of their first mappings, the program's own file first. A module is
// reached when the walk comes to it, and its file is then judged by what the kernel says it
// is: a device or other special file is passed over, and one that cannot be reached is listed,
// so that its open fails with the reason.
class ModuleList {
 public:
  // False, with the last error set, when the list of processId cannot be read.
  bool Read(DWORD processId);

  // Fills entry with the first module, or the next one; false at the end (ERROR_NO_MORE_FILES).
  bool Walk(bool first, MODULEENTRY32& entry);

  // Opens for reading the file of the module that entry describes, which its process id and
  // base address name: a descriptor, or -1 with the last error set.
  int Open(const MODULEENTRY32& entry);

 private:
  struct ReachedModule {
    std::size_t index;
    ReachedFile file;
  };

  std::size_t IndexAt(std::size_t position) const;
  std::optional<std::size_t> IndexOf(const MODULEENTRY32& entry) const;
  std::optional<std::size_t> ProgramIndex() const;
  void Fill(std::size_t index, bool deleted, MODULEENTRY32& entry) const;

  MappedFiles owner_;
  std::vector<ModuleFile> files_;  // by address
  std::optional<std::size_t> program_;
  std::size_t next_ = 0;  // the walk's position
  // The module the walk came to last, reached: its open takes what the walk found.
  std::optional<ReachedModule> reached_;
};
