#include "hosts/host_scan.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

#include "report/ascii_text.h"
#include "report/not_checked.h"
#include "report/report.h"
#include "report/report_texts.h"
#include "report/run_outcome.h"
#include "report/system_info.h"
#include "hosts/module_walk.h"
#include "hosts/host_packages.h"
#include "hosts/process_snapshot.h"
#include "platform/win32.h"

namespace {

struct HostExecutable {
  std::string_view name;
  HostKind kind;
};
constexpr HostExecutable HOST_EXECUTABLES[] = {{"inetinfo.exe", HostKind::WebServer},
                                               {"dllhost.exe", HostKind::Surrogate}};

// A name with a backslash is a path, not a host's name. The name is read as text in the ANSI
// code page, so the trail byte of a double-byte character is never taken for one.
bool ContainsBackslash(std::string_view name) {
  WCHAR wide[MAX_PATH];
  const int units =
      MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), wide, MAX_PATH);
  if (units <= 0) return name.find('\\') != std::string_view::npos;
  return std::find(wide, wide + units, static_cast<WCHAR>('\\')) != wide + units;
}

// The kind of host an executable name is, compared without regard to ASCII letter case.
std::optional<HostKind> HostKindOf(std::string_view name) {
  if (name.empty() || ContainsBackslash(name)) return std::nullopt;
  for (const HostExecutable& host : HOST_EXECUTABLES)
    if (EqualsIgnoringAsciiCase(name, host.name)) return host.kind;
  return std::nullopt;
}

void ScanHostProcess(DWORD processId, const char* exeName, HostKind kind) {
  Report << HOST_LEAD << exeName << HOST_PID_LEAD << processId << HOST_PID_END;
  if (!PrintHostPackages(processId, exeName, kind)) Report << SYSTEM_PACKAGE;
  ScanProcessModules(processId, exeName);
  Report << endl << endl;
}

// What a failed privilege request or process list leaves out.
constexpr char HOSTS_SUBJECT[] = "the running IIS and COM+ processes";

}  // namespace

bool SetDebugPrivilege(bool enable) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token)) return false;
  TOKEN_PRIVILEGES request{};
  request.PrivilegeCount = 1;
  request.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
  if (!LookupPrivilegeValueA(nullptr, "SeDebugPrivilege", &request.Privileges[0].Luid)) {
    const DWORD error = GetLastError();
    CloseHandle(token);
    SetLastError(error);
    return false;
  }
  // The call's own result does not say whether the privilege was granted; the last error does.
  AdjustTokenPrivileges(token, FALSE, &request, 16, nullptr, nullptr);
  const DWORD error = GetLastError();
  CloseHandle(token);
  SetLastError(error);
  return error == ERROR_SUCCESS;
}

void ScanHostProcesses() {
  ProcessSnapshot snapshot(TakeSnapshot(TH32CS_SNAPPROCESS, 0));
  if (snapshot.Handle() == INVALID_HANDLE_VALUE) {
    ReportNotChecked(HOSTS_SUBJECT, LastWin32Error());
    return;
  }
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  bool walked = false;
  for (bool more = snapshot.First(entry); more; more = snapshot.Next(entry)) {
    walked = true;
    entry.szExeFile[sizeof entry.szExeFile - 1] = '\0';
    if (const std::optional<HostKind> kind = HostKindOf(entry.szExeFile))
      ScanHostProcess(entry.th32ProcessID, entry.szExeFile, *kind);
  }
  // The walk ends at the end of the list, or where the list could not be taken or read on.
  const DWORD error = GetLastError();
  if (error != ERROR_NO_MORE_FILES)
    ReportNotChecked(walked ? std::string("the rest of ") + HOSTS_SUBJECT : HOSTS_SUBJECT,
                     Win32Error(error));
}

void ScanRunningHosts() {
  if (!SetDebugPrivilege(true)) {
    const SystemError error = LastWin32Error();
    Report << endl;
    for (std::string_view line : PRIVILEGE_ERROR_LINES) Report << line << endl;
    ReportNotChecked(HOSTS_SUBJECT, error);
    ThisRun().RecordPrivilegeRefused();
    return;
  }
  Report << endl;
  Report << HOSTS_ANNOUNCEMENT << endl;
  Report << HOSTS_MACHINE_LEAD << LocalSystem.MachineName << MACHINE_END << endl;
  Report << endl;
  ScanHostProcesses();
}
