#pragma once

// Finds every running IIS and COM+ host process, names what runs in it and checks every
// module it has loaded.
void ScanRunningHosts();

// Set when the debug privilege could not be enabled, so that no host was scanned.
extern bool DebugPrivilegeRefused;

// Enables (or disables) the debug privilege on this process's own token; true when the
// adjustment took effect, otherwise false with the reason in the last error.
bool SetDebugPrivilege(bool enable);

// One block per host process in the system's process list: heading, packages, modules.
void ScanHostProcesses();
