// What the test builds change in the Linux platform layer, by substituting calls at link time
// (the linker's --wrap; see tests/CMakeLists.txt): the folder the process tree is read from,
// calls made to fail, a tally of the BSTRs alive, and the class objects registered for the
// fakes (fakes/counted_object.h). The product carries none of it.
#pragma once

#include <string>

#include "fakes/counted_object.h"

// Points the layer at a tree of the test's own; "" puts /proc back.
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
  WideCharToMultiByte,
  SysAllocStringLen
};

// The next `times` calls at point return `result` (INVALID_HANDLE_VALUE for a snapshot, null for
// a string) with `lastError` set, after `skip` calls that run normally.
struct Fault {
  FaultPoint point;
  DWORD lastError;
  BOOL result = FALSE;
  int times = 1;
  int skip = 0;
};
void InjectFault(const Fault& fault);
void ClearFaults();

// The number of BSTRs allocated and not yet freed in this process.
long LiveBstrCount();
