#include "report/not_checked.h"

#include "report/report.h"
#include "report/report_texts.h"
#include "report/run_outcome.h"

void ReportNotChecked(std::string_view subject, const SystemError& error) {
  // The line is found by its start: a host's heading may still be open.
  Report.EndOpenLine();
  Report << NOT_CHECKED_LEAD << subject << ERROR_OPEN << DescribeError(error) << ERROR_CLOSE
         << endl;
  ThisRun().RecordNotChecked();
}
