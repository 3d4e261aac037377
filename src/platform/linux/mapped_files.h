// Reaching the files a process has mapped so that no name a local user controls can steer the
// scan, which runs as root: by now a mapped file's path may name another file (one moved over
// it, a symbolic link put in its place, a device or a FIFO), or nothing at all.
#pragma once

#include <sys/stat.h>

#include <string>

#include "platform/linux/descriptor.h"
#include "platform/linux/proc_text.h"

// A mapped file as reaching it found it: a descriptor that reaches it without opening it (so
// that no device's open runs) and its status, or the error that kept it out of reach.
struct ReachedFile {
  Descriptor fd;
  struct stat status {};
  bool deleted = false;  // it has no name left, so its deleted mark is the kernel's
  DWORD error = ERROR_SUCCESS;
};

// The mapped files of one process, read through its own folder of the tree or, once its main
// thread has ended, through the folder of a thread that lives on. It keeps open what it
// reaches them through.
class MappedFiles {
 public:
  MappedFiles() = default;
  MappedFiles(DWORD processId, DWORD threadId) : processId_(processId), threadId_(threadId) {}

  DWORD ProcessId() const { return processId_; }
  std::string Folder() const;

  // The file the process has mapped as file: through its map_files entry, which the kernel
  // resolves to the mapped file itself whatever its path names now, or else by its name in
  // the process's own root, following no symbolic link, when that names the mapped file. One
  // open and one status.
  ReachedFile Reach(const ModuleFile& file);

  // Opens for reading the regular file that fd reaches: the same inode, opened once more. A
  // descriptor, or -1 with the last error set.
  int OpenForReading(const Descriptor& fd);

 private:
  Descriptor OpenMapping(const ModuleFile& file);
  Descriptor LookUp(const std::string& path);
  void ReachByName(const ModuleFile& file, ReachedFile& reached);

  DWORD processId_ = 0;
  DWORD threadId_ = 0;  // 0: the process's own folder
  Descriptor mapFiles_;
  Descriptor root_;
  Descriptor ownFiles_;
  bool mapFilesRefused_ = false;
};
