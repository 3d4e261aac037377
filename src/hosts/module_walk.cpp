#include "hosts/module_walk.h"

#include "hosts/process_snapshot.h"
#include "inspect/dll_check.h"

void ScanProcessModules(DWORD processId) {
  ProcessSnapshot snapshot(TakeSnapshot(MODULE_SNAPSHOT_FLAGS, processId));
  MODULEENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Module32First(snapshot.Handle(), &entry); more;
       more = Module32Next(snapshot.Handle(), &entry)) {
    entry.szExePath[sizeof entry.szExePath - 1] = '\0';
    CheckDllFile(entry.szExePath, SINGLE_DLL_TAG);
  }
}
