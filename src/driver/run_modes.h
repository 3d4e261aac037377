#pragma once

#include <ctime>
#include <string>

enum class RunMode { Default, Catalog, Help, SingleDll };

// Chosen from the first argument alone; later arguments are ignored.
RunMode ChooseRunMode(int argc, const char* const* argv);

// asctime's 24-character form with its newline, but with the day of the month always in
// two digits ("Dec 06").
std::string FormatTimeLine(const std::tm& time);

// The whole run: banner, the mode's work, closing summary. Returns the exit status.
int RunQuentix(int argc, const char* const* argv);
