#include <sys/utsname.h>

#include <cstring>

#include "platform/linux/host_name.h"
#include "platform/linux/win32_subset.h"

std::string NetBiosNameFromHostName(std::string_view hostName) {
  std::string name(hostName.substr(0, hostName.find('.')));
  if (name.size() > MAX_COMPUTERNAME_LENGTH) name.resize(MAX_COMPUTERNAME_LENGTH);
  for (char& c : name)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return name;
}

// A machine whose host name is empty has no name to give: that is the failure.
BOOL WINAPI GetComputerNameA(LPSTR buffer, LPDWORD size) {
  if (size == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  utsname host{};
  if (::uname(&host) != 0) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  std::string name = NetBiosNameFromHostName(host.nodename);
  if (name.empty()) {
    SetLastError(ERROR_INVALID_NAME);
    return FALSE;
  }
  if (buffer == nullptr || *size < name.size() + 1) {
    *size = static_cast<DWORD>(name.size() + 1);
    SetLastError(ERROR_BUFFER_OVERFLOW);
    return FALSE;
  }
  std::memcpy(buffer, name.c_str(), name.size() + 1);
  *size = static_cast<DWORD>(name.size());
  return TRUE;
}
