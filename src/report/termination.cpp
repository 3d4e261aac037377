#include "report/termination.h"

#include <exception>

#include "platform/standard_io.h"

void TerminateAbnormally() noexcept {
  static constexpr char kText[] = "\r\nabnormal program termination\r\n";
  WriteAllToStandardError(kText, sizeof kText - 1);
  EndProcessAtOnce(3);
}

bool InstallTerminationHandler() {
  std::set_terminate(TerminateAbnormally);
  return true;
}
