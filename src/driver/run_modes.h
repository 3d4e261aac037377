#pragma once

#include <ctime>
#include <string>

enum class RunMode { Default, Catalog, Help, SingleDll };

// Chosen from the first argument alone. Later arguments are not acted on: in single-DLL mode
// each is named as not checked; the other modes pass over them.
RunMode ChooseRunMode(int argc, const char* const* argv);

// The exit statuses: every item was checked, whatever was found; something could not be
// checked (it is named in the report). An uncaught exception ends the run with 3.
inline constexpr int EXIT_ALL_CHECKED = 0;
inline constexpr int EXIT_INCOMPLETE = 2;

// asctime's 24-character form without its newline, but with the day of the month always in
// two digits ("Dec 06").
std::string FormatTimeLine(const std::tm& time);

// The whole run: banner, the mode's work, closing summary. Returns the exit status.
int RunQuentix(int argc, const char* const* argv);
