#pragma once

void PrintBanner();
void PrintHelpText();
void PrintRecompileNote();
void PrintDefaultSummary();
void PrintSingleDllSummary();
void PrintCatalogSummary();
