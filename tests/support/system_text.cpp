#include "support/system_text.h"

#include <cstdio>

std::string MachineName() {
  char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof name;
  return GetComputerNameA(name, &size) ? name : "";
}

std::string SystemMessage(DWORD code) {
  char text[512] = {};
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, code, 0, text, sizeof text, nullptr);
  std::string said(text, length < sizeof text ? length : 0);
  while (!said.empty() && (said.back() == '\r' || said.back() == '\n' || said.back() == ' '))
    said.pop_back();
  return said;
}

std::string ErrorText(DWORD code, bool isHresult) {
  char number[16];
  std::snprintf(number, sizeof number, isHresult ? "0x%08lX" : "%lu",
                static_cast<unsigned long>(code));
  const std::string said = SystemMessage(code);
  return "error " + std::string(number) + (said.empty() ? "" : ": " + said);
}
