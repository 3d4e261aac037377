#include "report/system_info.h"

SystemInfo::SystemInfo() {
  DWORD size = sizeof MachineName;
  if (!GetComputerNameA(MachineName, &size)) throw "SystemInfo: can't get machine name";
}
