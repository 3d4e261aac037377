#pragma once

// quentix-summary [--json FILE] [--csv FILE] [--html FILE] REPORT|FOLDER...
// Returns the exit status.
int RunSummary(int argc, const char* const* argv);
