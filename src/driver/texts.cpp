// The report's fixed blocks of lines, printed from their one definition.
#include "driver/texts.h"

#include <span>
#include <string_view>

#include "report/report.h"
#include "report/report_texts.h"

namespace {

void PrintLines(std::span<const std::string_view> lines) {
  for (std::string_view line : lines) Report << line << endl;
}

}  // namespace

const SystemError ONLY_FIRST_ARGUMENT{ERROR_BAD_ARGUMENTS, false, ONLY_FIRST_ARGUMENT_TEXT};

void PrintBanner() {
  PrintLines(BANNER_LINES);
}

void PrintHelpText() {
  PrintLines(HELP_LINES);
}

void PrintRecompileNote() {
  PrintLines(RECOMPILE_NOTE_LINES);
}

void PrintDefaultSummary() {
  PrintLines(DEFAULT_SUMMARY_LINES);
}

void PrintSingleDllSummary() {
  PrintLines(SINGLE_DLL_SUMMARY_LINES);
}

void PrintCatalogSummary() {
  PrintLines(CATALOG_SUMMARY_LINES);
}

void PrintIncompleteNote(const RunOutcome& outcome) {
  const int notChecked = outcome.NotCheckedCount();
  PrintLines(INCOMPLETE_NOTE_HEAD_LINES);
  Report << INCOMPLETE_COUNT_LEAD << notChecked
         << (notChecked == 1 ? INCOMPLETE_COUNT_ONE : INCOMPLETE_COUNT_MANY) << INCOMPLETE_COUNT_END
         << endl;
  PrintLines(INCOMPLETE_NOTE_TAIL_LINES);
  if (outcome.PrivilegeRefused()) PrintLines(PRIVILEGE_ADVICE_LINES);
}
