#include "inspect/dll_check.h"

#include "report/report.h"
#include "inspect/project_header.h"
#include "platform/win32.h"

bool RecompileNeeded = false;

namespace {

// The one owner of a file opened for the check: read-only, sharing everything.
class InputFile {
 public:
  explicit InputFile(const char* path)
      : handle_(CreateFileA(path, GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;
  ~InputFile() {
    if (IsOpen()) CloseHandle(handle_);
  }

  bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

  // Fills buffer from the start of the file until it is full, the file ends or a read fails;
  // returns the bytes delivered. Only disk files are read: a pipe, console or device could
  // keep the read waiting, so it yields nothing.
  std::size_t ReadUpTo(unsigned char* buffer, std::size_t capacity) {
    if (GetFileType(handle_) != FILE_TYPE_DISK) return 0;
    std::size_t total = 0;
    while (total < capacity) {
      DWORD got = 0;
      if (!ReadFile(handle_, buffer + total, static_cast<DWORD>(capacity - total), &got, nullptr) ||
          got == 0)
        break;
      total += got;
    }
    return total;
  }

 private:
  HANDLE handle_;
};

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
  InputFile file(path);
  if (!file.IsOpen()) {
    Report << "Unable to open: " << path << endl;
    return;
  }
  unsigned char buffer[SCAN_LIMIT];
  const HeaderScan scan = ScanProjectHeader(buffer, file.ReadUpTo(buffer, sizeof buffer));
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
