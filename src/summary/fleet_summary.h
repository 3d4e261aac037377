// Summarises a fleet's reports: each report read once, its findings handed to the outputs as
// they are read, one line for it on standard output, then a total line.
#pragma once

#include <cstddef>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "summary/fleet_output.h"

// The exit statuses of quentix-summary. An uncaught exception ends it, as it ends quentix, with
// EXIT_ABNORMAL_TERMINATION (report/exit_status.h).
inline constexpr int EXIT_ALL_CLEAN = 0;      // every report complete, nothing to recompile
inline constexpr int EXIT_RECOMPILE = 1;      // a DLL to recompile; every report complete
inline constexpr int EXIT_INCOMPLETE = 2;     // a report incomplete, cut short or no report
inline constexpr int EXIT_USAGE = 4;          // a bad command line
inline constexpr int EXIT_OUTPUT_FAILED = 5;  // an output could not be written

class FleetSummary {
 public:
  explicit FleetSummary(std::vector<FleetWriter*> outputs);

  // A report file, or a folder: every *.txt file directly in it, in the order of their names.
  void SummariseInput(const std::string& name);
  // Writes the total line and completes the outputs; returns the exit status.
  int Finish();

 private:
  void SummariseFolder(const std::string& folder);
  void Summarise(const ReportSource& report);
  void Complain(std::string_view message);
  void Say(std::string_view line);

  std::vector<FleetWriter*> outputs_;
  std::size_t counts_[5] = {};  // reports of each state
  bool inputMissing_ = false;   // an input named no report, or could not be listed
  bool outputFailed_ = false;
  std::set<std::string, std::less<>> servers_;  // to tell of a second report for one server
};

// The server a report stands for: its file's name without the extension.
std::string ServerOf(std::string_view path);
