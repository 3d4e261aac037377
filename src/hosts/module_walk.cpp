#include "hosts/module_walk.h"

#include <string>

#include "hosts/process_snapshot.h"
#include "inspect/dll_check.h"
#include "platform/files.h"
#include "report/not_checked.h"

namespace {

// The system's answer when the process is no longer there to be asked.
constexpr DWORD PROCESS_ENDED = ERROR_INVALID_PARAMETER;

void ReportModulesNotChecked(DWORD processId, const char* exeName, const char* which, DWORD error) {
  ReportNotChecked(
      std::string(which) + " of " + exeName + " (PID:" + std::to_string(processId) + ")",
      Win32Error(error));
}

}  // namespace

void ScanProcessModules(DWORD processId, const char* exeName) {
  ProcessSnapshot snapshot(TakeSnapshot(MODULE_SNAPSHOT_FLAGS, processId));
  if (snapshot.Handle() == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error != PROCESS_ENDED) ReportModulesNotChecked(processId, exeName, "the modules", error);
    return;
  }
  MODULEENTRY32 entry{};
  entry.dwSize = sizeof entry;
  bool walked = false;
  for (BOOL more = Module32First(snapshot.Handle(), &entry); more;
       more = Module32Next(snapshot.Handle(), &entry)) {
    walked = true;
    entry.szExePath[sizeof entry.szExePath - 1] = '\0';
    CheckOpenedDllFile(entry.szExePath, OpenModuleFile(snapshot.Handle(), entry));
  }
  const DWORD error = GetLastError();
  if (error != ERROR_NO_MORE_FILES)
    ReportModulesNotChecked(processId, exeName, walked ? "the other modules" : "the modules",
                            error);
}
