#include "report/not_checked.h"

#include "report/report.h"
#include "report/report_texts.h"

namespace {
int notChecked = 0;
}  // namespace

void ReportNotChecked(std::string_view subject, const SystemError& error) {
  // The line is found by its start: a host's heading may still be open.
  Report.EndOpenLine();
  Report << NOT_CHECKED_LEAD << subject << ERROR_OPEN << DescribeError(error) << ERROR_CLOSE
         << endl;
  ++notChecked;
}

int NotCheckedCount() {
  return notChecked;
}
