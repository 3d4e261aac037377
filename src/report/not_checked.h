// What a run could not check. Each such thing is named in the report where it happens, on a
// line of its own with the system's error, and counted in the run's outcome: the closing text
// and the exit status say that the check was incomplete, so that a failure never passes for an
// all-clear.
#pragma once

#include <string_view>

#include "report/system_error.h"

// Prints "Not checked: SUBJECT (error ...)" and a line end, and counts it.
void ReportNotChecked(std::string_view subject, const SystemError& error);
