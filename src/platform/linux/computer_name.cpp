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

// A machine whose host name is empty has no name to give: that is the failure. As on
// Windows, size holds the buffer's size on the way in and the name's length on the way out, or
// the size the name needs, terminator included, when the buffer is too small for it.
BOOL WINAPI GetComputerNameA(LPSTR buffer, LPDWORD size) {
  utsname host{};
  ::uname(&host);
  const std::string name = NetBiosNameFromHostName(host.nodename);
  if (name.empty()) {
    SetLastError(ERROR_INVALID_NAME);
    return FALSE;
  }
  const auto length = static_cast<DWORD>(name.size());
  if (*size <= length) {
    *size = length + 1;
    SetLastError(ERROR_BUFFER_OVERFLOW);
    return FALSE;
  }
  std::memcpy(buffer, name.c_str(), length + 1);
  *size = length;
  return TRUE;
}
