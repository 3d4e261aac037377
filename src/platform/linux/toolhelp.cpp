// Process and module lists over the process tree, read whole when the snapshot is taken, as
// Windows takes them: each walk then sees the system as it was at that moment. A process that
// ends while the lists are read is left out; any other failure to read them fails the
// snapshot with its error, so that nothing goes missing from a list without a word.
#include "platform/linux/toolhelp.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/errors.h"
#include "platform/linux/kernel_objects.h"
#include "platform/linux/proc_root.h"

namespace {

// Room for any line a maps file gives for a path that a program can open: 4096 bytes, each
// of which the kernel may write as four, and the fields before it.
constexpr std::size_t MAPS_BUFFER_SIZE = 64 * 1024;

// The system's answer when a process is no longer there to be asked.
constexpr DWORD PROCESS_ENDED = ERROR_INVALID_PARAMETER;

struct ProcessRecord {
  DWORD id;
  std::string name;
};

struct SnapshotObject final : KernelObject {
  std::vector<ProcessRecord> processes;
  MappingOwner owner;
  std::vector<ModuleFile> modules;  // named as shown: a deleted file without the mark
  std::size_t nextProcess = 0;
  std::size_t nextModule = 0;
};

// "No such process": the process or thread ended while it was being read.
bool HasEnded(int error) {
  return error == ENOENT || error == ESRCH;
}

// Sets the last error for a process's file that could not be read; false, to return.
bool FailReading(int error) {
  SetLastError(HasEnded(error) ? PROCESS_ENDED : Win32ErrorFromErrno(error));
  return false;
}

// The next entry of folder, or null at its end or, with errno set, on failure.
const dirent* NextEntry(DIR* folder) {
  errno = 0;
  return ::readdir(folder);
}

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
  if (tree == nullptr) return FailReading(errno);
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

// Feeds the lines of the maps file in folder to list through buffer, whose size is fixed
// whatever the file's: the number of lines, or nothing with the last error set. A line longer
// than the buffer fails the read.
std::optional<std::size_t> ReadMaps(const std::string& folder, ModuleFileList& list, char* buffer) {
  const int fd = ::open((folder + "/maps").c_str(), O_RDONLY);
  if (fd < 0) {
    FailReading(errno);
    return std::nullopt;
  }
  std::size_t held = 0;
  std::size_t lines = 0;
  ssize_t got = 0;
  while (held < MAPS_BUFFER_SIZE &&
         (got = ::read(fd, buffer + held, MAPS_BUFFER_SIZE - held)) > 0) {
    std::string_view rest(buffer, held + static_cast<std::size_t>(got));
    for (std::size_t end; (end = rest.find('\n')) != std::string_view::npos; ++lines) {
      list.AddLine(rest.substr(0, end));
      rest.remove_prefix(end + 1);
    }
    std::memmove(buffer, rest.data(), rest.size());
    held = rest.size();
  }
  const int error = errno;
  ::close(fd);
  if (held == MAPS_BUFFER_SIZE) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
  } else if (got < 0) {
    FailReading(error);
  } else {
    return lines;
  }
  return std::nullopt;
}

// Once a process's main thread has ended its maps are empty, while the threads that live on
// still have theirs: owner becomes the first thread whose maps have lines, if any has.
bool ReadThreadMaps(MappingOwner& owner, ModuleFileList& list, char* buffer) {
  DIR* threads = ::opendir((owner.Folder() + "/task").c_str());
  if (threads == nullptr) return FailReading(errno);
  bool read = true;
  const dirent* entry;
  while ((entry = NextEntry(threads)) != nullptr) {
    const std::optional<DWORD> id = ProcessIdFromFolderName(entry->d_name);
    if (!id) continue;
    const MappingOwner thread{owner.processId, *id};
    const std::optional<std::size_t> lines = ReadMaps(thread.Folder(), list, buffer);
    if (!lines && GetLastError() == PROCESS_ENDED) continue;
    if (!lines || *lines > 0) {
      read = lines.has_value();
      owner = thread;
      break;
    }
  }
  if (entry == nullptr && errno != 0) read = FailReading(errno);
  ::closedir(threads);
  return read;
}

// The mapped regular files of the owner's list, named as they are to be shown. A device or
// other special file is not a module, and is never opened.
std::vector<ModuleFile> ModulesOf(const MappingOwner& owner, std::vector<ModuleFile>& files) {
  std::vector<ModuleFile> modules;
  for (ModuleFile& file : files) {
    struct stat status {};
    const bool found = StatMappedFile(owner, file, file.name, status);
    if (found && !S_ISREG(status.st_mode)) continue;
    // The kernel marks the path of a file deleted since it was mapped; a name that merely
    // ends so is that of a file that still has its links.
    if (file.name.ends_with(DELETED_MARK) && !(found && status.st_nlink > 0))
      file.name.resize(file.name.size() - DELETED_MARK.size());
    modules.push_back(std::move(file));
  }
  // The program's own file first, found by its inode (stat follows the link without opening).
  struct stat program {};
  if (::stat((owner.Folder() + "/exe").c_str(), &program) == 0) {
    auto it = std::find_if(modules.begin(), modules.end(), [&](const ModuleFile& module) {
      return module.file.inode == program.st_ino;
    });
    if (it != modules.end()) std::rotate(modules.begin(), it, it + 1);
  }
  return modules;
}

// The module list of one process, read when its snapshot is taken; false with the last error
// set when it cannot be read (PROCESS_ENDED when the process is gone).
bool ReadModuleList(DWORD processId, SnapshotObject& snapshot) {
  const std::unique_ptr<char[]> buffer(new char[MAPS_BUFFER_SIZE]);
  ModuleFileList list;
  snapshot.owner = MappingOwner{processId, 0};
  const std::optional<std::size_t> lines = ReadMaps(snapshot.owner.Folder(), list, buffer.get());
  if (!lines || (*lines == 0 && !ReadThreadMaps(snapshot.owner, list, buffer.get()))) return false;
  snapshot.modules = ModulesOf(snapshot.owner, list.Files());
  return true;
}

// Copies text into a record's field, cut to fit at a character's start, and ends it.
template <std::size_t Size>
void CopyCut(std::string_view text, char (&field)[Size]) {
  const std::string_view cut = CutAtCharacter(text, Size - 1);
  std::memcpy(field, cut.data(), cut.size());
  field[cut.size()] = '\0';
}

// The fields the walks read.
void FillProcess(const ProcessRecord& process, PROCESSENTRY32& entry) {
  entry.th32ProcessID = process.id;
  CopyCut(process.name, entry.szExeFile);
}

// A path too long for the record is cut; its file is then not opened (see OpenModuleFile).
void FillModule(const ModuleFile& module, MODULEENTRY32& entry) {
  CopyCut(module.name, entry.szExePath);
}

// The next item of a walk. Each walk of a snapshot is taken once, so First goes on as Next.
template <typename Entry, typename Record>
BOOL WalkStep(HANDLE snapshot, Entry* entry, std::vector<Record> SnapshotObject::*list,
              std::size_t SnapshotObject::*next, void (*fill)(const Record&, Entry&)) {
  SnapshotObject& object = *ObjectFromHandle<SnapshotObject>(snapshot);
  if (object.*next == (object.*list).size()) {
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
  }
  fill((object.*list)[(object.*next)++], *entry);
  return TRUE;
}

}  // namespace

SnapshotModule LastModuleWalked(HANDLE snapshot) {
  const SnapshotObject& object = *ObjectFromHandle<SnapshotObject>(snapshot);
  return {object.owner, &object.modules[object.nextModule - 1]};
}

// The module list of processId for a module snapshot (TH32CS_SNAPALL, as the host scan asks
// for, would list the processes too: that walk is never taken), else the process list. Both
// are read now; heaps and threads are not kept.
HANDLE WINAPI CreateToolhelp32Snapshot(DWORD flags, DWORD processId) {
  auto snapshot = std::make_unique<SnapshotObject>();
  const bool read = (flags & TH32CS_SNAPMODULE) ? ReadModuleList(processId, *snapshot)
                                                : ReadProcessList(snapshot->processes);
  return read ? HandleFromObject(snapshot.release()) : INVALID_HANDLE_VALUE;
}

BOOL WINAPI Process32First(HANDLE snapshot, LPPROCESSENTRY32 entry) {
  return WalkStep(snapshot, entry, &SnapshotObject::processes, &SnapshotObject::nextProcess,
                  FillProcess);
}

BOOL WINAPI Process32Next(HANDLE snapshot, LPPROCESSENTRY32 entry) {
  return WalkStep(snapshot, entry, &SnapshotObject::processes, &SnapshotObject::nextProcess,
                  FillProcess);
}

BOOL WINAPI Module32First(HANDLE snapshot, LPMODULEENTRY32 entry) {
  return WalkStep(snapshot, entry, &SnapshotObject::modules, &SnapshotObject::nextModule,
                  FillModule);
}

BOOL WINAPI Module32Next(HANDLE snapshot, LPMODULEENTRY32 entry) {
  return WalkStep(snapshot, entry, &SnapshotObject::modules, &SnapshotObject::nextModule,
                  FillModule);
}
