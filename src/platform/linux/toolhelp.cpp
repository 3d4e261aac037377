// Process and module lists over the process tree, read whole when the snapshot is taken, as
// Windows takes them: each walk then sees the system as it was at that moment. A process that
// ends while the lists are read is left out; any other failure to read them fails the
// snapshot with its error, so that nothing goes missing from a list without a word. A walk's
// First starts it over, and a record whose dwSize is too small for it is refused, as Windows
// does.
#include "platform/linux/toolhelp.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/errors.h"
#include "platform/linux/kernel_objects.h"
#include "platform/linux/proc_root.h"
#include "platform/linux/process_tree.h"

namespace {

struct ProcessRecord {
  DWORD id;
  std::string name;
};

struct SnapshotObject final : KernelObject {
  DWORD flags = 0;
  std::vector<ProcessRecord> processes;
  std::size_t nextProcess = 0;
  ModuleList modules;
};

// A process's name from its comm file in the folder open as tree, or nothing with errno set.
// A name is short, so one read gets all of it that a record can hold; the list is read for
// every scan, and a read saved per process is a tenth of its cost.
std::optional<std::string> ReadComm(int tree, const char* processFolder) {
  const std::string path = std::string(processFolder) + "/comm";
  const int fd = ::openat(tree, path.c_str(), O_RDONLY);
  if (fd < 0) return std::nullopt;
  char name[MAX_PATH];
  const ssize_t got = ::read(fd, name, sizeof name);
  const int error = errno;
  ::close(fd);
  errno = error;
  if (got < 0) return std::nullopt;
  return std::string(name, static_cast<std::size_t>(got));
}

bool ReadProcessList(std::vector<ProcessRecord>& processes) {
  DIR* tree = ::opendir(ProcRoot());
  if (tree == nullptr) return FailReadingProcess(errno);
  const dirent* entry;
  while ((entry = NextEntry(tree)) != nullptr) {
    const std::optional<DWORD> id = ProcessIdFromFolderName(entry->d_name);
    if (!id) continue;
    const std::optional<std::string> comm = ReadComm(::dirfd(tree), entry->d_name);
    if (comm) {
      processes.push_back(ProcessRecord{*id, ProcessNameFromComm(*comm)});
    } else if (!HasEnded(errno)) {
      break;
    }
  }
  const int error = errno;  // of the listing or of the comm file that failed
  ::closedir(tree);
  if (error != 0) {
    SetLastError(Win32ErrorFromErrno(error));
    return false;
  }
  std::ranges::sort(processes, {}, &ProcessRecord::id);
  return true;
}

// The fields the process walk reads.
void FillProcess(const ProcessRecord& process, PROCESSENTRY32& entry) {
  entry.th32ProcessID = process.id;
  CopyCut(process.name, entry.szExeFile);
}

// Whether entry's dwSize holds at least the record: else the last error is set as Windows sets
// it.
template <typename Entry>
bool HasRoomFor(const Entry* entry) {
  if (entry->dwSize >= sizeof(Entry)) return true;
  SetLastError(ERROR_INSUFFICIENT_BUFFER);
  return false;
}

BOOL WalkProcesses(HANDLE snapshot, LPPROCESSENTRY32 entry, bool first) {
  if (!HasRoomFor(entry)) return FALSE;
  SnapshotObject& object = *ObjectFromHandle<SnapshotObject>(snapshot);
  // A snapshot of modules and processes holds the modules alone: its process walk is refused,
  // rather than seen empty.
  if ((object.flags & TH32CS_SNAPMODULE) && (object.flags & TH32CS_SNAPPROCESS)) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  if (first) object.nextProcess = 0;
  if (object.nextProcess == object.processes.size()) {
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
  }
  FillProcess(object.processes[object.nextProcess++], *entry);
  return TRUE;
}

BOOL WalkModules(HANDLE snapshot, LPMODULEENTRY32 entry, bool first) {
  return HasRoomFor(entry) && ModuleListOf(snapshot).Walk(first, *entry);
}

}  // namespace

ModuleList& ModuleListOf(HANDLE snapshot) {
  return ObjectFromHandle<SnapshotObject>(snapshot)->modules;
}

// The module list of processId for a module snapshot, else the process list; either is read
// now. A module snapshot of all kinds (TH32CS_SNAPALL, as the host scan asks for) does not
// list the processes too: that walk is never taken. Heaps and threads are not kept.
HANDLE WINAPI CreateToolhelp32Snapshot(DWORD flags, DWORD processId) {
  auto snapshot = std::make_unique<SnapshotObject>();
  snapshot->flags = flags;
  const bool read = (flags & TH32CS_SNAPMODULE) ? snapshot->modules.Read(processId)
                                                : ReadProcessList(snapshot->processes);
  return read ? HandleFromObject(snapshot.release()) : INVALID_HANDLE_VALUE;
}

BOOL WINAPI Process32First(HANDLE snapshot, LPPROCESSENTRY32 entry) {
  return WalkProcesses(snapshot, entry, true);
}

BOOL WINAPI Process32Next(HANDLE snapshot, LPPROCESSENTRY32 entry) {
  return WalkProcesses(snapshot, entry, false);
}

BOOL WINAPI Module32First(HANDLE snapshot, LPMODULEENTRY32 entry) {
  return WalkModules(snapshot, entry, true);
}

BOOL WINAPI Module32Next(HANDLE snapshot, LPMODULEENTRY32 entry) {
  return WalkModules(snapshot, entry, false);
}
