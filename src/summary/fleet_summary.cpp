#include "summary/fleet_summary.h"

#include <algorithm>
#include <optional>
#include <set>

#include "platform/files.h"
#include "platform/standard_io.h"
#include "report/ascii_text.h"
#include "report/system_error.h"
#include "summary/output_text.h"
#include "summary/report_reader.h"

namespace {

constexpr std::string_view PROGRAM = "quentix-summary: ";
constexpr std::string_view REPORT_EXTENSION = ".txt";

// The bytes of one read. One buffer serves every report (there is one thread), and it is not on
// the stack.
unsigned char readBuffer[64 * 1024];

// Hands the file's bytes to the reader, until the file ends or the reader has seen enough.
// Empty when that went as it should; else what went wrong.
std::optional<std::string> FeedReport(const std::string& path, ReportReader& reader) {
  InputFile file(OpenFileForReading(path.c_str()));
  if (!file.IsOpen()) return "cannot be opened (" + DescribeError(LastWin32Error()) + ")";
  if (!file.IsDiskFile()) return std::string("not a disk file, and so no report");
  for (;;) {
    const InputFile::Read read = file.ReadUpTo(readBuffer, sizeof readBuffer);
    const std::string_view bytes(reinterpret_cast<const char*>(readBuffer), read.size);
    if (!bytes.empty() && !reader.Read(bytes)) return std::nullopt;
    if (read.failed)
      return "cannot be read to its end (" + DescribeError(Win32Error(read.error)) + ")";
    if (read.size < sizeof readBuffer) return std::nullopt;
  }
}

// The state, and for one with DLLs to recompile or items not checked, how many.
std::string StateWords(const ReportOutcome& outcome) {
  const std::string words = WordsOf(outcome.state);
  if (outcome.state == ReportState::Recompile)
    return words + " " + std::to_string(outcome.recompile);
  if (outcome.state == ReportState::Incomplete)
    return words + " " + std::to_string(outcome.notChecked);
  return words;
}

bool IsReportName(std::string_view name) {
  return name.size() > REPORT_EXTENSION.size() &&
         EqualsIgnoringAsciiCase(name.substr(name.size() - REPORT_EXTENSION.size()),
                                 REPORT_EXTENSION);
}

// The names a folder holds, apart from folders; empty, with the last error set, when it
// cannot be listed.
std::optional<std::vector<std::string>> FileNamesIn(const std::string& folder) {
  std::string pattern = folder;
  if (pattern.empty() || !IsPathSeparator(pattern.back())) pattern += PATH_SEPARATOR;
  pattern += '*';
  WIN32_FIND_DATAA found{};
  HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return std::nullopt;
  std::vector<std::string> names;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
      names.emplace_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  const DWORD error = GetLastError();
  FindClose(search);
  if (error != ERROR_NO_MORE_FILES) {
    SetLastError(error);
    return std::nullopt;
  }
  return names;
}

}  // namespace

std::string ServerOf(std::string_view path) {
  std::size_t nameAt = path.size();
  while (nameAt > 0 && !IsPathSeparator(path[nameAt - 1])) --nameAt;
  std::string_view name = path.substr(nameAt);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string_view::npos && dot > 0) name = name.substr(0, dot);
  return std::string(name);
}

FleetSummary::FleetSummary(std::vector<FleetWriter*> outputs) : outputs_(std::move(outputs)) {
  PrepareStandardOutput();
}

void FleetSummary::SummariseInput(const std::string& name) {
  const DWORD attributes = GetFileAttributesA(name.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return SummariseFolder(name);
  // A report that is missing is named as such: it is one the fleet should have.
  Summarise({ServerOf(name), name});
}

void FleetSummary::SummariseFolder(const std::string& folder) {
  std::optional<std::vector<std::string>> names = FileNamesIn(folder);
  if (!names.has_value()) {
    inputMissing_ = true;
    return Complain(PrintableText(folder) + ": cannot be listed (" +
                    DescribeError(LastWin32Error()) + ")");
  }
  std::erase_if(*names, [](const std::string& name) { return !IsReportName(name); });
  if (names->empty()) {
    inputMissing_ = true;
    return Complain(PrintableText(folder) + ": holds no report (no *.txt file)");
  }
  std::sort(names->begin(), names->end());
  const bool separated = IsPathSeparator(folder.back());
  for (const std::string& name : *names) {
    const std::string path = separated ? folder + name : folder + PATH_SEPARATOR + name;
    Summarise({ServerOf(name), path});
  }
}

void FleetSummary::Summarise(const ReportSource& report) {
  // Servers are named as Windows names machines: without regard to letter case.
  if (!servers_.insert(LowerAsciiText(report.server)).second)
    Complain(PrintableText(report.server) + ": a second report, " + PrintableText(report.path));

  ReportOutcome outcome;
  std::set<std::string, std::less<>> toRecompile;
  ReportReader reader([&](const Finding& finding) {
    ++outcome.findings;
    if (finding.verdict == Verdict::Recompile) toRecompile.emplace(finding.path);
    for (FleetWriter* output : outputs_) output->WriteFinding(report, finding);
  });
  const std::optional<std::string> unreadable = FeedReport(report.path, reader);
  const ReportEnd end = reader.Finish();
  outcome.state = unreadable.has_value() ? ReportState::NotAReport : end.state;
  outcome.line = end.line;
  outcome.reason = unreadable.value_or(end.reason);
  outcome.recompile = toRecompile.size();
  outcome.notChecked = end.notChecked;
  outcome.machine = reader.Machine();
  outcome.time = reader.Time();

  ++counts_[static_cast<int>(outcome.state)];
  Say(PrintableText(report.server) + "\t" + StateWords(outcome));
  if (!outcome.reason.empty()) {
    const std::string where =
        outcome.line == 0 ? "" : "line " + std::to_string(outcome.line) + ": ";
    Complain(PrintableText(report.path) + ": " + where + PrintableText(outcome.reason));
  }
  for (FleetWriter* output : outputs_) output->WriteReport(report, outcome);
}

int FleetSummary::Finish() {
  std::size_t reports = 0;
  for (std::size_t count : counts_) reports += count;
  std::string total = std::to_string(reports) + (reports == 1 ? " report: " : " reports: ");
  for (std::size_t state = 0; state < std::size(counts_); ++state)
    total += (state == 0 ? "" : ", ") + std::to_string(counts_[state]) + " " +
             WordsOf(static_cast<ReportState>(state));
  Say(total);

  for (FleetWriter* output : outputs_) {
    std::string error;
    if (!output->Finish(error)) {
      outputFailed_ = true;
      Complain(error);
    }
  }
  if (outputFailed_) return EXIT_OUTPUT_FAILED;
  if (inputMissing_ || reports == 0 || counts_[static_cast<int>(ReportState::Incomplete)] > 0 ||
      counts_[static_cast<int>(ReportState::CutShort)] > 0 ||
      counts_[static_cast<int>(ReportState::NotAReport)] > 0)
    return EXIT_INCOMPLETE;
  return counts_[static_cast<int>(ReportState::Recompile)] > 0 ? EXIT_RECOMPILE : EXIT_ALL_CLEAN;
}

void FleetSummary::Complain(std::string_view message) {
  const std::string line = std::string(PROGRAM).append(message).append(SYSTEM_LINE_END);
  WriteAllToStandardError(line.data(), line.size());
}

void FleetSummary::Say(std::string_view text) {
  const std::string line = std::string(text).append(SYSTEM_LINE_END);
  if (!outputFailed_ && !WriteAllToStandardOutput(line.data(), line.size())) {
    outputFailed_ = true;
    Complain("cannot write standard output (" + DescribeError(LastWin32Error()) + ")");
  }
}
