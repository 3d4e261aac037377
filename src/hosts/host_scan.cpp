#include "hosts/host_scan.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "driver/ascii_text.h"
#include "driver/report.h"
#include "driver/system_info.h"
#include "hosts/module_walk.h"
#include "hosts/host_packages.h"
#include "hosts/process_snapshot.h"
#include "platform/win32.h"

namespace {

// The executable names of the web server and of the COM+ surrogate.
constexpr std::string_view HOST_EXECUTABLES[] = {"inetinfo.exe", "dllhost.exe"};

// A name with a backslash is a path, not a host's name. The name is read as text in the ANSI
// code page, so the trail byte of a double-byte character is never taken for one.
bool ContainsBackslash(std::string_view name) {
  WCHAR wide[MAX_PATH];
  const int units =
      MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), wide, MAX_PATH);
  if (units <= 0) return name.find('\\') != std::string_view::npos;
  return std::find(wide, wide + units, static_cast<WCHAR>('\\')) != wide + units;
}

bool IsHostExecutable(std::string_view name) {
  if (name.empty() || ContainsBackslash(name)) return false;
  return std::any_of(std::begin(HOST_EXECUTABLES), std::end(HOST_EXECUTABLES),
                     [&](std::string_view host) { return EqualsIgnoringAsciiCase(name, host); });
}

void ScanHostProcess(DWORD processId, const char* exeName) {
  Report << "Scanning " << exeName << " (PID:" << processId << ") ";
  if (!PrintHostPackages(processId, exeName)) Report << " System Package ";
  ScanProcessModules(processId);
  Report << endl << endl;
}

}  // namespace

bool SetDebugPrivilege(bool enable) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token)) return false;
  TOKEN_PRIVILEGES request{};
  request.PrivilegeCount = 1;
  request.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
  if (!LookupPrivilegeValueA(nullptr, "SeDebugPrivilege", &request.Privileges[0].Luid)) {
    CloseHandle(token);
    return false;
  }
  // The call's own result does not say whether the privilege was granted; the last error does.
  AdjustTokenPrivileges(token, FALSE, &request, 16, nullptr, nullptr);
  const bool adjusted = GetLastError() == ERROR_SUCCESS;
  CloseHandle(token);
  return adjusted;
}

void ScanHostProcesses() {
  ProcessSnapshot snapshot(TakeSnapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (bool more = snapshot.First(entry); more; more = snapshot.Next(entry)) {
    entry.szExeFile[sizeof entry.szExeFile - 1] = '\0';
    if (IsHostExecutable(entry.szExeFile)) ScanHostProcess(entry.th32ProcessID, entry.szExeFile);
  }
}

void ScanRunningHosts() {
  if (!SetDebugPrivilege(true)) {
    Report << endl;
    Report << "Error Detected: TOKEN_ADJUST_PRIVILEGES " << endl;
    Report << "Program cannot scan IIS and running packages. " << endl;
    return;
  }
  Report << endl;
  Report << "Scanning IIS, all Medium & High Isolation web applications" << endl;
  Report << "and all running COM+ server packages on " << LocalSystem.MachineName << "..." << endl;
  Report << endl;
  ScanHostProcesses();
}
