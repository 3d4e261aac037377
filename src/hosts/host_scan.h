#pragma once

// Finds every running IIS and COM+ host process, names what runs in it and checks every
// module it has loaded. A refused debug privilege, with which no host is scanned, is recorded
// in the run's outcome.
void ScanRunningHosts();

// Enables (or disables) the debug privilege on this process's own token; true when the
// adjustment took effect, otherwise false with the reason in the last error.
bool SetDebugPrivilege(bool enable);

// One block per host process in the system's process list: heading, packages, modules.
void ScanHostProcesses();
