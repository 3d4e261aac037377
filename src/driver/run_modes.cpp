#include "driver/run_modes.h"

#include <cstdio>
#include <string_view>

#include "catalog/catalog_scan.h"
#include "driver/texts.h"
#include "hosts/host_scan.h"
#include "inspect/dll_check.h"
#include "platform/win32.h"
#include "report/ascii_text.h"
#include "report/exit_status.h"
#include "report/not_checked.h"
#include "report/report.h"
#include "report/report_texts.h"
#include "report/run_outcome.h"

namespace {

void PrintTimeLine() {
  std::time_t now = std::time(nullptr);
  const std::tm* local = std::localtime(&now);
  if (local != nullptr) Report << FormatTimeLine(*local) << newline;
}

// Single-DLL mode checks its first argument alone; each further one is named as not checked,
// so that a file given there never passes for one found fine.
void ReportExtraArguments(int argc, const char* const* argv) {
  for (int i = 2; i < argc; ++i)
    ReportNotChecked(*argv[i] == '\0' ? "an empty argument" : argv[i], ONLY_FIRST_ARGUMENT);
}

void PrintAllClear(RunMode mode) {
  if (mode == RunMode::Default)
    PrintDefaultSummary();
  else if (mode == RunMode::SingleDll)
    PrintSingleDllSummary();
  else
    PrintCatalogSummary();
}

// The recompile note is true whatever else happened; the all-clear only when nothing was left
// unchecked, which otherwise gets a note of its own.
void PrintClosingText(RunMode mode, const RunOutcome& outcome) {
  if (outcome.RecompileNeeded())
    PrintRecompileNote();
  else if (outcome.AllChecked())
    PrintAllClear(mode);
  if (!outcome.AllChecked()) PrintIncompleteNote(outcome);
}

}  // namespace

RunMode ChooseRunMode(int argc, const char* const* argv) {
  if (argc < 2) return RunMode::Default;
  std::string_view first = argv[1];
  if (EqualsIgnoringAsciiCase(first, "/sc") || EqualsIgnoringAsciiCase(first, "-sc"))
    return RunMode::Catalog;
  if (EqualsIgnoringAsciiCase(first, "/?") || EqualsIgnoringAsciiCase(first, "-?"))
    return RunMode::Help;
  return RunMode::SingleDll;
}

std::string FormatTimeLine(const std::tm& time) {
  const std::string_view day =
      time.tm_wday >= 0 && time.tm_wday < 7 ? DAY_NAMES[time.tm_wday] : UNKNOWN_TIME_NAME;
  const std::string_view month =
      time.tm_mon >= 0 && time.tm_mon < 12 ? MONTH_NAMES[time.tm_mon] : UNKNOWN_TIME_NAME;
  char text[64];
  std::snprintf(text, sizeof text, "%.3s %.3s %02d %02d:%02d:%02d %d", day.data(), month.data(),
                time.tm_mday, time.tm_hour, time.tm_min, time.tm_sec, 1900 + time.tm_year);
  return text;
}

int RunQuentix(int argc, const char* const* argv) {
  CoInitialize(nullptr);
  PrintBanner();
  const RunMode mode = ChooseRunMode(argc, argv);
  switch (mode) {
    case RunMode::Default:
      PrintTimeLine();
      ScanRunningHosts();
      break;
    case RunMode::Catalog:
      PrintTimeLine();
      ScanCatalog();
      ScanRunningHosts();
      break;
    case RunMode::Help:
      PrintHelpText();
      return EXIT_ALL_CHECKED;
    case RunMode::SingleDll:
      CheckDllFile(argv[1], SINGLE_DLL_TAG);
      ReportExtraArguments(argc, argv);
      break;
  }
  CoUninitialize();
  PrintClosingText(mode, ThisRun());
  return ThisRun().ExitStatus();
}
