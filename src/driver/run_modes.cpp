#include "driver/run_modes.h"

#include <cstdio>
#include <string_view>

#include "catalog/catalog_scan.h"
#include "report/ascii_text.h"
#include "report/report.h"
#include "driver/texts.h"
#include "hosts/host_scan.h"
#include "inspect/dll_check.h"
#include "platform/win32.h"

namespace {

void PrintTimeLine() {
  std::time_t now = std::time(nullptr);
  const std::tm* local = std::localtime(&now);
  if (local != nullptr) Report << FormatTimeLine(*local);
}

}  // namespace

RunMode ChooseRunMode(int argc, const char* const* argv) {
  if (argc == 1) return RunMode::Default;
  std::string_view first = argv[1];
  if (EqualsIgnoringAsciiCase(first, "/sc") || EqualsIgnoringAsciiCase(first, "-sc"))
    return RunMode::Catalog;
  if (EqualsIgnoringAsciiCase(first, "/?") || EqualsIgnoringAsciiCase(first, "-?"))
    return RunMode::Help;
  return RunMode::SingleDll;
}

std::string FormatTimeLine(const std::tm& time) {
  static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const char* day = time.tm_wday >= 0 && time.tm_wday < 7 ? kDays[time.tm_wday] : "???";
  const char* month = time.tm_mon >= 0 && time.tm_mon < 12 ? kMonths[time.tm_mon] : "???";
  char text[64];
  std::snprintf(text, sizeof text, "%.3s %.3s %02d %02d:%02d:%02d %d\n", day, month, time.tm_mday,
                time.tm_hour, time.tm_min, time.tm_sec, 1900 + time.tm_year);
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
      return 0;
    case RunMode::SingleDll:
      CheckDllFile(argv[1], SINGLE_DLL_TAG);
      break;
  }
  CoUninitialize();
  if (RecompileNeeded)
    PrintRecompileNote();
  else if (mode == RunMode::Default)
    PrintDefaultSummary();
  else if (mode == RunMode::SingleDll)
    PrintSingleDllSummary();
  else
    PrintCatalogSummary();
  return 0;
}
