#include "inspect/dll_check.h"

#include "inspect/project_header.h"
#include "platform/files.h"
#include "report/not_checked.h"
#include "report/report.h"
#include "report/report_texts.h"
#include "report/run_outcome.h"

namespace {

// The bytes of one check. One buffer serves every check (there is one thread), and it is not
// on the stack, which may be small.
unsigned char scanBuffer[SCAN_LIMIT];

// A file is named by its path; an empty one would leave the line without a subject.
const char* FileSubject(const char* path) {
  return *path == '\0' ? "an empty path" : path;
}

// What a file that is no disk file is not checked for. Its words are the report's own, so that
// the line reads the same on every system.
const SystemError NOT_A_DISK_FILE{ERROR_NOT_SUPPORTED, false, NOT_A_DISK_FILE_TEXT};

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
  Report << ((flags & RETAINED_IN_MEMORY_BIT) ? RETAINED_IN_MEMORY_ON : RETAINED_IN_MEMORY_OFF)
         << endl;
  Report << ((flags & UNATTENDED_EXECUTION_BIT) ? UNATTENDED_EXECUTION_ON
                                                : UNATTENDED_EXECUTION_OFF)
         << endl;
}

void CheckDllFile(const char* path, const char* /*tag: one context is ever passed*/) {
  CheckOpenedDllFile(path, OpenFileForReading(path));
}

void CheckOpenedDllFile(const char* path, void* handle) {
  InputFile file(handle);
  if (!file.IsOpen()) {
    const SystemError error = LastWin32Error();
    Report << UNABLE_TO_OPEN_LEAD << path << endl;
    ReportNotChecked(FileSubject(path), error);
    return;
  }
  if (!file.IsDiskFile()) {
    ReportNotChecked(FileSubject(path), NOT_A_DISK_FILE);
    return;
  }
  InputFile::Read read = file.ReadUpTo(scanBuffer, sizeof scanBuffer);
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
      Report << path << FINE_END << endl;
      PrintProjectFlags(scan.flags);
      break;
    case DllVerdict::Version5:
      Report << endl;
      Report << path << VERSION5_END << endl;
      break;
    case DllVerdict::Recompile:
      PrintProjectFlags(scan.flags);
      Report << RECOMPILE_LEAD << path << RECOMPILE_END << endl;
      ThisRun().RecordRecompile();
      break;
  }
}
