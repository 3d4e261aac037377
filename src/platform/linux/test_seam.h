// What a test may change in this layer: the folder the process tree is read from, and
// calls made to return a chosen result without doing their work.
#pragma once

#include <optional>
#include <string>

#include "platform/linux/win32_subset.h"

// "/proc" unless a test has pointed the layer at a tree of its own.
const std::string& ProcRoot();
void SetProcRoot(std::string root);

enum class FaultPoint {
  CreateToolhelp32Snapshot,
  Process32First,
  Process32Next,
  Module32First,
  Module32Next,
  OpenProcessToken,
  LookupPrivilegeValueA,
  AdjustTokenPrivileges,
};

// The next `times` calls at point return `result` (INVALID_HANDLE_VALUE for a failed
// snapshot) with `lastError` set, after `skip` calls that run normally.
struct Fault {
  FaultPoint point;
  DWORD lastError;
  BOOL result = FALSE;
  int times = 1;
  int skip = 0;
};
void InjectFault(const Fault& fault);
void ClearFaults();

// Called on entry to each call at point: the result to return at once, with the last
// error already set, when a fault is due.
std::optional<BOOL> DueFault(FaultPoint point);
