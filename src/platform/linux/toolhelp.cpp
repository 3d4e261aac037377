// Process and module lists over the process tree. A snapshot reads its module list when it
// is taken and its process list when that is first walked (a module snapshot seldom is);
// each walk then sees the system as it was at that moment. A process that ends while the
// list is read is simply not in it.
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/kernel_objects.h"
#include "platform/linux/proc_text.h"
#include "platform/linux/proc_root.h"

namespace {

struct ProcessRecord {
  DWORD id;
  std::string name;
};

struct ModuleRecord {
  DWORD processId;
  ModuleFile file;
};

struct SnapshotObject final : KernelObject {
  bool holdsProcesses = false;
  std::optional<std::vector<ProcessRecord>> processes;
  std::vector<ModuleRecord> modules;
  std::size_t nextProcess = 0;
  std::size_t nextModule = 0;
};

// The whole file, or nothing with errno set. Files under the tree report no size, so it is
// read until its end.
std::optional<std::string> ReadWholeFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  std::string text;
  char buffer[16384];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got > 0) {
      text.append(buffer, static_cast<std::size_t>(got));
      continue;
    }
    if (got < 0 && errno == EINTR) continue;
    const int error = errno;
    ::close(fd);
    if (got < 0) {
      errno = error;
      return std::nullopt;
    }
    return text;
  }
}

// A process's name from its comm file in the folder open as tree, or nothing when the
// process has ended. A name is short, so one read gets all of it that a record can hold;
// the list is read for every scan, and a read saved per process is a tenth of its cost.
std::optional<std::string> ReadComm(int tree, const char* processFolder) {
  const std::string path = std::string(processFolder) + "/comm";
  const int fd = ::openat(tree, path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  char name[MAX_PATH + 1];
  ssize_t got;
  do {
    got = ::read(fd, name, sizeof name);
  } while (got < 0 && errno == EINTR);
  ::close(fd);
  if (got < 0) return std::nullopt;
  return std::string(name, static_cast<std::size_t>(got));
}

std::string ProcessFolder(DWORD processId) {
  return std::string(ProcRoot()) + "/" + std::to_string(processId);
}

std::vector<ProcessRecord> ReadProcessList() {
  std::vector<ProcessRecord> processes;
  DIR* tree = ::opendir(ProcRoot());
  if (tree == nullptr) return processes;
  while (const dirent* entry = ::readdir(tree)) {
    const std::optional<DWORD> id = ProcessIdFromFolderName(entry->d_name);
    if (!id) continue;
    const std::optional<std::string> comm = ReadComm(::dirfd(tree), entry->d_name);
    if (!comm) continue;  // ended since the folder was listed
    processes.push_back(ProcessRecord{*id, ProcessNameFromComm(*comm)});
  }
  ::closedir(tree);
  std::sort(processes.begin(), processes.end(),
            [](const ProcessRecord& a, const ProcessRecord& b) { return a.id < b.id; });
  return processes;
}

std::string ReadLink(const std::string& path) {
  char target[4096];
  const ssize_t size = ::readlink(path.c_str(), target, sizeof target);
  return size > 0 ? std::string(target, static_cast<std::size_t>(size)) : std::string();
}

DWORD ErrorOfUnreadableProcess(int error) {
  return error == EACCES || error == EPERM ? ERROR_ACCESS_DENIED : ERROR_INVALID_PARAMETER;
}

// The module list of one process; false with the last error set when its maps cannot be read
// (the process is gone, or it is not ours to look into).
bool ReadModuleList(DWORD processId, std::vector<ModuleRecord>& modules) {
  const std::string folder = ProcessFolder(processId);
  const std::optional<std::string> maps = ReadWholeFile(folder + "/maps");
  if (!maps) {
    SetLastError(ErrorOfUnreadableProcess(errno));
    return false;
  }
  for (ModuleFile& file : ModuleFilesFromMaps(*maps, ReadLink(folder + "/exe")))
    modules.push_back(ModuleRecord{processId, std::move(file)});
  return true;
}

void FillProcessEntry(const ProcessRecord& process, PROCESSENTRY32& entry) {
  const DWORD size = entry.dwSize;
  entry = PROCESSENTRY32{};
  entry.dwSize = size;
  entry.th32ProcessID = process.id;
  const std::size_t length = std::min(process.name.size(), sizeof entry.szExeFile - 1);
  std::memcpy(entry.szExeFile, process.name.data(), length);
}

void FillModuleEntry(const ModuleRecord& module, MODULEENTRY32& entry) {
  const DWORD size = entry.dwSize;
  entry = MODULEENTRY32{};
  entry.dwSize = size;
  entry.th32ModuleID = 1;  // as Windows: the field is no longer used
  entry.th32ProcessID = module.processId;
  entry.GlblcntUsage = entry.ProccntUsage = 0xFFFF;
  entry.modBaseAddr = reinterpret_cast<BYTE*>(static_cast<std::uintptr_t>(module.file.base));
  entry.modBaseSize =
      static_cast<DWORD>(std::min<std::uint64_t>(module.file.end - module.file.base, 0xFFFFFFFFu));
  entry.hModule = entry.modBaseAddr;
  const std::string& path = module.file.path;  // shorter than MAX_PATH by construction
  const std::size_t slash = path.rfind('/');
  const std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
  std::memcpy(entry.szModule, name.data(), std::min(name.size(), sizeof entry.szModule - 1));
  std::memcpy(entry.szExePath, path.data(), std::min(path.size(), sizeof entry.szExePath - 1));
}

const std::vector<ProcessRecord>& ProcessesOf(SnapshotObject& snapshot) {
  if (!snapshot.processes)
    snapshot.processes = snapshot.holdsProcesses ? ReadProcessList() : std::vector<ProcessRecord>{};
  return *snapshot.processes;
}

const std::vector<ModuleRecord>& ModulesOf(SnapshotObject& snapshot) {
  return snapshot.modules;
}

// The common part of the four walks: a snapshot, a record of the right size, a next item.
template <typename Entry, typename Record>
BOOL WalkStep(HANDLE snapshot, Entry* entry, const std::vector<Record>& (*list)(SnapshotObject&),
              std::size_t SnapshotObject::*next, bool first, void (*fill)(const Record&, Entry&)) {
  SnapshotObject* object = ObjectFromHandle<SnapshotObject>(snapshot);
  if (object == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (entry == nullptr || entry->dwSize < sizeof(Entry)) {
    SetLastError(ERROR_BAD_LENGTH);
    return FALSE;
  }
  if (first) object->*next = 0;
  const std::vector<Record>& records = list(*object);
  if (object->*next >= records.size()) {
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
  }
  fill(records[(object->*next)++], *entry);
  return TRUE;
}

}  // namespace

// The process list for TH32CS_SNAPPROCESS (read when first walked); the module list of processId
// (0: this process) for TH32CS_SNAPMODULE or TH32CS_SNAPMODULE32, which are the same here. Heaps
// and threads are not kept.
HANDLE WINAPI CreateToolhelp32Snapshot(DWORD flags, DWORD processId) {
  auto snapshot = std::make_unique<SnapshotObject>();
  if (flags & (TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32)) {
    const DWORD target = processId != 0 ? processId : static_cast<DWORD>(::getpid());
    if (!ReadModuleList(target, snapshot->modules)) return INVALID_HANDLE_VALUE;
  }
  snapshot->holdsProcesses = (flags & TH32CS_SNAPPROCESS) != 0;
  return HandleFromObject(snapshot.release());
}

BOOL WINAPI Process32First(HANDLE snapshot, LPPROCESSENTRY32 entry) {
  return WalkStep(snapshot, entry, ProcessesOf, &SnapshotObject::nextProcess, true,
                  FillProcessEntry);
}

BOOL WINAPI Process32Next(HANDLE snapshot, LPPROCESSENTRY32 entry) {
  return WalkStep(snapshot, entry, ProcessesOf, &SnapshotObject::nextProcess, false,
                  FillProcessEntry);
}

BOOL WINAPI Module32First(HANDLE snapshot, LPMODULEENTRY32 entry) {
  return WalkStep(snapshot, entry, ModulesOf, &SnapshotObject::nextModule, true, FillModuleEntry);
}

BOOL WINAPI Module32Next(HANDLE snapshot, LPMODULEENTRY32 entry) {
  return WalkStep(snapshot, entry, ModulesOf, &SnapshotObject::nextModule, false, FillModuleEntry);
}
