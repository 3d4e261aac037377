#include "inspect/dll_check.h"

#include "inspect/project_header.h"
#include "platform/files.h"
#include "report/not_checked.h"
#include "report/report.h"
#include "report/report_texts.h"

bool RecompileNeeded = false;

namespace {

// The bytes of one check. One buffer serves every check (there is one thread), and it is not
// on the stack, which may be small.
unsigned char scanBuffer[SCAN_LIMIT];

// A file is named by its path; an empty one would leave the line without a subject.
const char* FileSubject(const char* path) {
  return *path == '\0' ? "an empty path" : path;
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
  const InputFile::Read read = file.ReadUpTo(scanBuffer, sizeof scanBuffer);
  const HeaderScan scan = ScanProjectHeader(scanBuffer, read.size);
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
      RecompileNeeded = true;
      break;
  }
}
