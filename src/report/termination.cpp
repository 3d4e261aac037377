#include "report/termination.h"

#include <exception>

#include "platform/standard_io.h"
#include "report/exit_status.h"

void TerminateAbnormally() noexcept {
  static constexpr char kText[] = "\r\nabnormal program termination\r\n";
  WriteAllToStandardError(kText, sizeof kText - 1);
  EndProcessAtOnce(EXIT_ABNORMAL_TERMINATION);
}

bool InstallTerminationHandler() {
  std::set_terminate(TerminateAbnormally);
  return true;
}
