// The summary's three outputs, each a file.
#pragma once

#include <memory>
#include <string>

#include "summary/fleet_output.h"
#include "summary/output_file.h"

// JSON Lines: one object a line for each finding, then one for its report.
std::unique_ptr<FleetWriter> MakeJsonLinesWriter(OutputFile& file);
// RFC 4180 CSV of the findings, under a header row of the same names.
std::unique_ptr<FleetWriter> MakeCsvWriter(OutputFile& file);
// One self-contained HTML page: every server's state, the DLLs to recompile grouped by path,
// every item not checked.
std::unique_ptr<FleetWriter> MakeHtmlWriter(OutputFile& file);
