#include "hosts/process_snapshot.h"

namespace {

constexpr int SNAPSHOT_ATTEMPTS = 5;

}  // namespace

HANDLE TakeSnapshot(DWORD flags, DWORD processId) {
  HANDLE snapshot = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < SNAPSHOT_ATTEMPTS; ++attempt) {
    snapshot = CreateToolhelp32Snapshot(flags, processId);
    if (snapshot != INVALID_HANDLE_VALUE || GetLastError() != ERROR_BAD_LENGTH) break;
  }
  return snapshot;
}

bool ProcessSnapshot::First(PROCESSENTRY32& entry) {
  if (!Process32First(handle_, &entry)) return false;
  return entry.th32ProcessID != 0 || Next(entry);
}

bool ProcessSnapshot::Next(PROCESSENTRY32& entry) {
  do {
    if (!Process32Next(handle_, &entry)) return false;
  } while (entry.th32ProcessID == 0);
  return true;
}

// The ANSI records, of the size the build at hand gives them.
static_assert(sizeof(PROCESSENTRY32) == (sizeof(void*) == 8 ? 304 : 296));
static_assert(sizeof(MODULEENTRY32) == (sizeof(void*) == 8 ? 568 : 548));
