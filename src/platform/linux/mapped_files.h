// Reaching the files a process has mapped so that no name a local user controls can steer the
// scan, which runs as root: by now a mapped file's path may name another file (one moved over
// it, a symbolic link put in its place, a device or a FIFO), or nothing at all.
#pragma once

#include <sys/stat.h>

#include <string>

#include "platform/linux/proc_text.h"

// Whose mappings a module list holds: a process, read through its own folder of the tree or,
// once its main thread has ended, through the folder of a thread that lives on.
struct MappingOwner {
  DWORD processId = 0;
  DWORD threadId = 0;  // 0: the process's own folder
  std::string Folder() const;
};

// The status of the file that owner has mapped as file, found without opening it: false, with
// the last error set, when it cannot be reached. path is the name to look it up by when the
// mapping itself cannot be reached; what it names counts only when it is the mapped file.
bool StatMappedFile(const MappingOwner& owner, const ModuleFile& file, const std::string& path,
                    struct stat& status);

// Opens for reading the regular file that owner has mapped as file, looked up as above: a
// descriptor, or -1 with the last error set.
int OpenMappedFile(const MappingOwner& owner, const ModuleFile& file, const std::string& path);
