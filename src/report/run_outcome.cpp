#include "report/run_outcome.h"

#include "report/exit_status.h"

int RunOutcome::ExitStatus() const {
  return AllChecked() ? EXIT_ALL_CHECKED : EXIT_INCOMPLETE;
}

RunOutcome& ThisRun() {
  static RunOutcome outcome;
  return outcome;
}
