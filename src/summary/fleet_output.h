// What the summary hands its outputs: each report's findings as they are read, then the
// report's outcome.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "summary/findings.h"

// A report file and the server it stands for.
struct ReportSource {
  std::string server;  // the file's name without its extension
  std::string path;    // the file's path, as it was named or found
};

// How a report ended, with what it holds.
struct ReportOutcome {
  ReportState state = ReportState::Clean;
  std::size_t recompile = 0;   // the DLLs to recompile, each counted once
  std::size_t notChecked = 0;  // its "Not checked:" lines
  std::size_t findings = 0;    // every verdict and every item not checked
  std::optional<std::string> machine;
  std::optional<std::string> time;
  std::size_t line = 0;  // for a report that is not one or is cut short: the line where it ends
  std::string reason;    // and why
};

// One output of the summary. Findings come report by report, each report's before its outcome.
class FleetWriter {
 public:
  virtual ~FleetWriter() = default;
  virtual void WriteFinding(const ReportSource& report, const Finding& finding) = 0;
  virtual void WriteReport(const ReportSource& report, const ReportOutcome& outcome) = 0;
  // Completes the output. False when any of it could not be written, with the reason in error.
  virtual bool Finish(std::string& error) = 0;
};

// The fields of a finding in the machine-readable outputs, in their order: a name and the
// value, where the report gives one.
using FieldValue = std::variant<std::monostate, std::string_view, std::uint64_t, bool>;
struct FindingField {
  std::string_view name;
  FieldValue (*value)(const ReportSource& report, const Finding& finding);
};
extern const FindingField FINDING_FIELDS[15];
