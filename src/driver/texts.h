#pragma once

#include "report/run_outcome.h"
#include "report/system_error.h"

// Why an argument after the first of single-DLL mode is not checked, in the report's own words.
extern const SystemError ONLY_FIRST_ARGUMENT;

void PrintBanner();
void PrintHelpText();
void PrintRecompileNote();
void PrintDefaultSummary();
void PrintSingleDllSummary();
void PrintCatalogSummary();

// The closing note of a run that could not check everything: how many items, and, when the
// debug privilege was refused, how to run the tool so that it is granted.
void PrintIncompleteNote(const RunOutcome& outcome);
