#pragma once

#include <ctime>
#include <string>

enum class RunMode { Default, Catalog, Help, SingleDll };

// Chosen from the first argument alone. Later arguments are not acted on: in single-DLL mode
// each is named as not checked; the other modes pass over them.
RunMode ChooseRunMode(int argc, const char* const* argv);

// asctime's 24-character form without its newline, but with the day of the month always in
// two digits ("Dec 06").
std::string FormatTimeLine(const std::tm& time);

// The whole run: banner, the mode's work, closing summary. Returns the exit status of
// report/exit_status.h.
int RunQuentix(int argc, const char* const* argv);
