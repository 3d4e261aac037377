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

// A machine whose host name is empty has no name to give: that is the failure. The buffer
// holds MAX_COMPUTERNAME_LENGTH characters and the terminator, as the name can take no more;
// the caller reads the name alone.
BOOL WINAPI GetComputerNameA(LPSTR buffer, LPDWORD) {
  utsname host{};
  ::uname(&host);
  const std::string name = NetBiosNameFromHostName(host.nodename);
  if (name.empty()) {
    SetLastError(ERROR_INVALID_NAME);
    return FALSE;
  }
  std::memcpy(buffer, name.c_str(), name.size() + 1);
  return TRUE;
}
