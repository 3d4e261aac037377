// What the black-box suites share: the built executable, and the fixed texts of its report.
#pragma once

#include <string>
#include <vector>

#include "support/child_process.h"

// Runs the built quentix with the given arguments (not counting the program name).
ChildResult RunQuentixExe(const std::vector<std::string>& arguments);

// Joins lines, each ended by CR LF.
std::string Lines(const std::vector<std::string>& lines);

extern const std::string kBanner;
extern const std::string kSingleDllSummary;
extern const std::string kDefaultSummary;
extern const std::string kCatalogSummary;
extern const std::string kRecompileNote;
extern const std::string kTerminationText;
