#include "inspect/dll_check.h"

#include "inspect/project_header.h"
#include "platform/files.h"
#include "report/not_checked.h"
#include "report/report.h"

bool RecompileNeeded = false;

namespace {

// The one owner of a file opened for the check.
class InputFile {
 public:
  explicit InputFile(HANDLE handle) : handle_(handle) {}
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;
  ~InputFile() {
    if (IsOpen()) CloseHandle(handle_);
  }

  bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

  // Only disk files are read: a pipe, console or device could keep a read waiting.
  bool IsDiskFile() const { return GetFileType(handle_) == FILE_TYPE_DISK; }

  struct Read {
    std::size_t size = 0;         // bytes delivered
    bool failed = false;          // a read failed before the buffer was full or the file ended
    DWORD error = ERROR_SUCCESS;  // what it failed with
  };

  // Fills buffer from offset on until it is full, the file ends or a read fails. A file just
  // opened is read from its start without a move.
  Read ReadAt(std::size_t offset, unsigned char* buffer, std::size_t capacity) {
    Read read;
    if (offset != 0 && !MoveTo(offset)) return Failed(read);
    while (read.size < capacity) {
      DWORD got = 0;
      if (!ReadFile(handle_, buffer + read.size, static_cast<DWORD>(capacity - read.size), &got,
                    nullptr))
        return Failed(read);
      if (got == 0) break;
      read.size += got;
    }
    return read;
  }

 private:
  // Offsets here lie within the first bytes of the file, far below 2 GiB.
  bool MoveTo(std::size_t offset) {
    return SetFilePointer(handle_, static_cast<LONG>(offset), nullptr, FILE_BEGIN) !=
           INVALID_SET_FILE_POINTER;
  }

  static Read Failed(Read read) {
    read.failed = true;
    read.error = GetLastError();
    return read;
  }

  HANDLE handle_;
};

// The bytes of one check. One buffer serves every check (there is one thread), and it is not
// on the stack, which may be small.
unsigned char scanBuffer[SCAN_LIMIT];

// A file is named by its path; an empty one would leave the line without a subject.
const char* FileSubject(const char* path) {
  return *path == '\0' ? "an empty path" : path;
}

// What a file that is no disk file is not checked for. Its words are the report's own, so that
// the line reads the same on every system.
const SystemError NOT_A_DISK_FILE{ERROR_NOT_SUPPORTED, false,
                                  "Not a disk file; only disk files are read."};

// A signature near the end of a full buffer has its flags byte in the file's next bytes: that
// one byte is read from the file, and the header found when the file holds it.
InputFile::Read ReadFlagsPastBuffer(InputFile& file, HeaderScan& scan) {
  unsigned char flags = 0;
  const InputFile::Read read = file.ReadAt(scan.signature + FLAGS_OFFSET, &flags, 1);
  if (read.size == 1) {
    scan.found = true;
    scan.flags = flags;
  }
  return read;
}

}  // namespace

void PrintProjectFlags(std::uint8_t flags) {
  Report << ((flags & RETAINED_IN_MEMORY_BIT) ? "      Retained In Memory   :ON "
                                              : "      Retained In Memory   :OFF ")
         << endl;
  Report << ((flags & UNATTENDED_EXECUTION_BIT) ? "      Unattended Execution :ON "
                                                : "      Unattended Execution :OFF ")
         << endl;
}

void CheckDllFile(const char* path, const char* /*tag: one context is ever passed*/) {
  CheckOpenedDllFile(path, OpenFileForReading(path));
}

void CheckOpenedDllFile(const char* path, void* handle) {
  InputFile file(handle);
  if (!file.IsOpen()) {
    const SystemError error = LastWin32Error();
    Report << "Unable to open: " << path << endl;
    ReportNotChecked(FileSubject(path), error);
    return;
  }
  if (!file.IsDiskFile()) {
    ReportNotChecked(FileSubject(path), NOT_A_DISK_FILE);
    return;
  }
  InputFile::Read read = file.ReadAt(0, scanBuffer, sizeof scanBuffer);
  HeaderScan scan = ScanProjectHeader(scanBuffer, read.size);
  if (scan.flagsPastData && read.size == sizeof scanBuffer) read = ReadFlagsPastBuffer(file, scan);
  // A header found before the failure is judged; without one, the file was not checked.
  if (read.failed && !scan.found) {
    ReportNotChecked(FileSubject(path), Win32Error(read.error));
    return;
  }
  switch (JudgeProjectHeader(scan)) {
    case DllVerdict::NoHeader:
      break;
    case DllVerdict::Fine:
      Report << endl;
      Report << path << " is fine..." << endl;
      PrintProjectFlags(scan.flags);
      break;
    case DllVerdict::Version5:
      Report << endl;
      Report << path << " is a BR5 file..." << endl;
      break;
    case DllVerdict::Recompile:
      PrintProjectFlags(scan.flags);
      Report << "       " << path << " <<< Please Recompile!" << endl;
      RecompileNeeded = true;
      break;
  }
}
