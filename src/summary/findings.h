// What a report holds, as quentix-summary reads it back: findings, one per DLL verdict and
// one per item not checked, and the state of the report as a whole.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Where in the run a finding was made.
enum class Source { File, Host, Catalog };

enum class Verdict { Fine, Recompile, Version5, NotChecked };

// One finding, with everything the report says around it. A field the report does not give
// is empty. Texts are as printed (a \xHH stays as it is) and live as long as the call that
// hands the finding on.
struct Finding {
  Source source = Source::File;
  Verdict verdict = Verdict::Fine;
  // The DLL's path; for an item not checked, what the report names (a path, or a host, the
  // catalog, an application...).
  std::string_view path;
  std::optional<std::string_view> machine;
  std::optional<std::string_view> time;
  std::optional<std::string_view> host;  // the host's executable name
  std::optional<std::uint32_t> pid;
  // The packages that run in the host, in the report's order, separated by PACKAGE_SEPARATOR;
  // or the label the report gives in their place.
  std::optional<std::string_view> package;
  std::optional<std::string_view> application;  // the catalog's application
  std::optional<bool> retainedInMemory;         // where the report shows the flag lines
  std::optional<bool> unattendedExecution;
  std::optional<std::string_view> error;  // "error N: TEXT", for an item not checked
};

inline constexpr std::string_view PACKAGE_SEPARATOR = "; ";

// The state of a whole report. The first two say everything was checked.
enum class ReportState { Clean, Recompile, Incomplete, CutShort, NotAReport };

// The names the outputs give sources, verdicts and states.
std::string_view NameOf(Source source);
std::string_view NameOf(Verdict verdict);
std::string_view NameOf(ReportState state);
// The state in words, for people: "cut short" for "cut-short".
std::string WordsOf(ReportState state);
