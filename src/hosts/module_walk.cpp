#include "hosts/module_walk.h"

#include <string>

#include "hosts/process_snapshot.h"
#include "inspect/dll_check.h"
#include "platform/files.h"
#include "report/not_checked.h"

namespace {

// The system's answer when the process is no longer there to be asked, and when it does not
// know what it is asked for.
constexpr DWORD PROCESS_ENDED = ERROR_INVALID_PARAMETER;

void ReportModulesNotChecked(DWORD processId, const char* exeName, const char* which, DWORD error) {
  ReportNotChecked(
      std::string(which) + " of " + exeName + " (PID:" + std::to_string(processId) + ")",
      Win32Error(error));
}

// The module snapshot of the process. A 64-bit build asks for the 32-bit modules too; a system
// that refuses that request (an older 64-bit Windows may not know it) still lists the others,
// and what is then left out is named.
HANDLE TakeModuleSnapshot(DWORD processId, const char* exeName) {
  constexpr DWORD WITHOUT_32_BIT = MODULE_SNAPSHOT_FLAGS & ~TH32CS_SNAPMODULE32;
  HANDLE snapshot = TakeSnapshot(MODULE_SNAPSHOT_FLAGS, processId);
  if (snapshot != INVALID_HANDLE_VALUE || WITHOUT_32_BIT == MODULE_SNAPSHOT_FLAGS ||
      GetLastError() != PROCESS_ENDED)
    return snapshot;
  snapshot = TakeSnapshot(WITHOUT_32_BIT, processId);
  if (snapshot != INVALID_HANDLE_VALUE)
    ReportModulesNotChecked(processId, exeName, "the 32-bit modules", PROCESS_ENDED);
  return snapshot;
}

// Whether the process processId is gone: absent from a fresh process list, read to its end.
bool HasProcessEnded(DWORD processId) {
  ProcessSnapshot processes(TakeSnapshot(TH32CS_SNAPPROCESS, 0));
  if (processes.Handle() == INVALID_HANDLE_VALUE) return false;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (bool more = processes.First(entry); more; more = processes.Next(entry))
    if (entry.th32ProcessID == processId) return false;
  return GetLastError() == ERROR_NO_MORE_FILES;
}

}  // namespace

void ScanProcessModules(DWORD processId, const char* exeName) {
  ProcessSnapshot snapshot(TakeModuleSnapshot(processId, exeName));
  if (snapshot.Handle() == INVALID_HANDLE_VALUE) {
    // The same error says that the request was not understood: the process must be seen gone.
    const DWORD error = GetLastError();
    if (error != PROCESS_ENDED || !HasProcessEnded(processId))
      ReportModulesNotChecked(processId, exeName, "the modules", error);
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
