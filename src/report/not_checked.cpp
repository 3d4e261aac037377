#include "report/not_checked.h"

#include "report/report.h"

namespace {
int notChecked = 0;
}  // namespace

void ReportNotChecked(std::string_view subject, const SystemError& error) {
  // The line is found by its start: a host's heading may still be open.
  Report.EndOpenLine();
  Report << "Not checked: " << subject << " (" << DescribeError(error) << ")" << endl;
  ++notChecked;
}

int NotCheckedCount() {
  return notChecked;
}
