// Objects built before main. They stand in one file because their order matters: the
// termination handler must be in place before anything that may throw, and the report
// before the machine name is read.
#include "report/report.h"
#include "report/system_info.h"
#include "report/termination.h"

namespace {
[[maybe_unused]] const bool terminationHandlerInstalled = InstallTerminationHandler();
}  // namespace

ReportStream Report;
const SystemInfo LocalSystem;
