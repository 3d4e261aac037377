#include "platform/linux/module_list.h"

#include <dirent.h>
#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

#include "platform/linux/errors.h"
#include "platform/linux/process_tree.h"

namespace {

// What reading a maps file needs, whatever its size and the length of its lines: a chunk of
// it, and as much of the line being read as tells its file.
struct MapsBuffer {
  char chunk[64 * 1024];
  char line[MAPS_LINE_KEPT];
};

// Feeds the lines of the maps file in folder to list: the number of lines, or nothing with
// the last error set.
std::optional<std::size_t> ReadMaps(const std::string& folder, ModuleFileList& list,
                                    MapsBuffer& buffer) {
  const Descriptor fd(::open((folder + "/maps").c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.IsOpen()) {
    FailReadingProcess(errno);
    return std::nullopt;
  }
  std::size_t lines = 0;
  std::size_t kept = 0;
  bool longer = false;
  ssize_t got;
  while ((got = ::read(fd.Get(), buffer.chunk, sizeof buffer.chunk)) > 0) {
    for (std::string_view rest(buffer.chunk, static_cast<std::size_t>(got)); !rest.empty();) {
      const std::size_t end = std::min(rest.find('\n'), rest.size());
      const std::size_t taken = std::min(end, MAPS_LINE_KEPT - kept);
      std::memcpy(buffer.line + kept, rest.data(), taken);
      kept += taken;
      longer = longer || taken < end;
      if (end == rest.size()) break;
      list.AddLine({buffer.line, kept}, longer);
      ++lines;
      kept = 0;
      longer = false;
      rest.remove_prefix(end + 1);
    }
  }
  if (got < 0) {
    FailReadingProcess(errno);
    return std::nullopt;
  }
  if (kept > 0) list.AddLine({buffer.line, kept}, longer);  // a last line without its newline
  return lines + (kept > 0);
}

// Once a process's main thread has ended its maps are empty, while the threads that live on
// still have theirs: owner becomes the first thread whose maps have lines, if any has.
bool ReadThreadMaps(MappedFiles& owner, ModuleFileList& list, MapsBuffer& buffer) {
  DIR* threads = ::opendir((owner.Folder() + "/task").c_str());
  if (threads == nullptr) return FailReadingProcess(errno);
  bool read = true;
  const dirent* entry;
  while ((entry = NextEntry(threads)) != nullptr) {
    const std::optional<DWORD> id = ProcessIdFromFolderName(entry->d_name);
    if (!id) continue;
    MappedFiles thread(owner.ProcessId(), *id);
    const std::optional<std::size_t> lines = ReadMaps(thread.Folder(), list, buffer);
    if (!lines && GetLastError() == PROCESS_ENDED) continue;
    if (!lines || *lines > 0) {
      read = lines.has_value();
      owner = std::move(thread);
      break;
    }
  }
  if (entry == nullptr && errno != 0) read = FailReadingProcess(errno);
  ::closedir(threads);
  return read;
}

}  // namespace

bool ModuleList::Read(DWORD processId) {
  const std::unique_ptr<MapsBuffer> buffer(new MapsBuffer);
  ModuleFileList list;
  owner_ = MappedFiles(processId, 0);
  const std::optional<std::size_t> lines = ReadMaps(owner_.Folder(), list, *buffer);
  if (!lines || (*lines == 0 && !ReadThreadMaps(owner_, list, *buffer))) return false;
  files_ = std::move(list.Files());
  // The kernel lists mappings by address already; the open finds a module by it.
  std::ranges::sort(files_, {}, &ModuleFile::firstStart);
  program_ = ProgramIndex();
  return true;
}

// The program's own file, found by its inode (stat follows the link without opening it).
std::optional<std::size_t> ModuleList::ProgramIndex() const {
  struct stat program {};
  if (::stat((owner_.Folder() + "/exe").c_str(), &program) != 0) return std::nullopt;
  const auto it = std::ranges::find(files_, program.st_ino,
                                    [](const ModuleFile& file) { return file.file.inode; });
  if (it == files_.end()) return std::nullopt;
  return static_cast<std::size_t>(it - files_.begin());
}

// The module at a position of the walk: the program's own file, then the others by address.
std::size_t ModuleList::IndexAt(std::size_t position) const {
  if (!program_) return position;
  if (position == 0) return *program_;
  return position <= *program_ ? position - 1 : position;
}

std::optional<std::size_t> ModuleList::IndexOf(const MODULEENTRY32& entry) const {
  const auto base = reinterpret_cast<std::uintptr_t>(entry.modBaseAddr);
  const auto it = std::ranges::lower_bound(files_, base, {}, &ModuleFile::firstStart);
  if (entry.th32ProcessID != owner_.ProcessId() || it == files_.end() || it->firstStart != base)
    return std::nullopt;
  return static_cast<std::size_t>(it - files_.begin());
}

// The fields Windows fills; the module is its first mapping, as a module's handle is its base.
void ModuleList::Fill(std::size_t index, bool deleted, MODULEENTRY32& entry) const {
  const ModuleFile& file = files_[index];
  entry.th32ModuleID = 1;
  entry.th32ProcessID = owner_.ProcessId();
  entry.GlblcntUsage = entry.ProccntUsage = 0xFFFF;
  entry.modBaseAddr = reinterpret_cast<BYTE*>(static_cast<std::uintptr_t>(file.firstStart));
  entry.modBaseSize = static_cast<DWORD>(
      std::min<std::uint64_t>(file.firstEnd - file.firstStart, std::numeric_limits<DWORD>::max()));
  entry.hModule = entry.modBaseAddr;
  file.Show(deleted, entry.szExePath);
  const std::string_view path = entry.szExePath;
  CopyCut(path.substr(path.rfind('/') + 1), entry.szModule);
}

bool ModuleList::Walk(bool first, MODULEENTRY32& entry) {
  if (first) next_ = 0;
  reached_.reset();
  while (next_ < files_.size()) {
    const std::size_t index = IndexAt(next_++);
    ReachedFile file = owner_.Reach(files_[index]);
    // A device or other special file is no module, and is never opened.
    if (file.error == ERROR_SUCCESS && !S_ISREG(file.status.st_mode)) continue;
    Fill(index, file.deleted, entry);
    reached_.emplace(ReachedModule{index, std::move(file)});
    return true;
  }
  SetLastError(ERROR_NO_MORE_FILES);
  return false;
}

int ModuleList::Open(const MODULEENTRY32& entry) {
  const std::optional<std::size_t> index = IndexOf(entry);
  if (!index) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  ReachedFile file = reached_ && reached_->index == *index ? std::move(reached_->file)
                                                           : owner_.Reach(files_[*index]);
  reached_.reset();
  if (file.error != ERROR_SUCCESS || !S_ISREG(file.status.st_mode)) {
    SetLastError(file.error != ERROR_SUCCESS ? file.error : ERROR_FILE_INVALID);
    return -1;
  }
  return owner_.OpenForReading(file.fd);
}
