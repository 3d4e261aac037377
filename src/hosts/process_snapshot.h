// The one owner of a system snapshot handle, and the walk over its process entries.
#pragma once

#include "platform/win32.h"

// Flags of the module snapshot of one host. A 64-bit build also asks for the 32-bit modules
// of a 32-bit host, which is where most hosted DLLs live.
inline constexpr DWORD MODULE_SNAPSHOT_FLAGS =
    TH32CS_SNAPALL | (sizeof(void*) == 8 ? TH32CS_SNAPMODULE32 : 0);

// CreateToolhelp32Snapshot, tried again a few times while it fails with ERROR_BAD_LENGTH: the
// system gives that when the list changed while the snapshot was being taken.
HANDLE TakeSnapshot(DWORD flags, DWORD processId);

class ProcessSnapshot {
 public:
  // Takes ownership of snapshot, which may be INVALID_HANDLE_VALUE: then the walk is empty.
  explicit ProcessSnapshot(HANDLE snapshot) : handle_(snapshot) {}
  ProcessSnapshot(const ProcessSnapshot&) = delete;
  ProcessSnapshot& operator=(const ProcessSnapshot&) = delete;
  ~ProcessSnapshot() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }

  HANDLE Handle() const { return handle_; }

  // Fill entry with the first (next) process and return true, or return false at the end of
  // the list or on failure. Process id 0 is never yielded.
  bool First(PROCESSENTRY32& entry);
  bool Next(PROCESSENTRY32& entry);

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};
