// The exit statuses of quentix, for the scripts that run it across a fleet.
#pragma once

// Every item was checked, whatever was found: the report may still ask for a recompile.
inline constexpr int EXIT_ALL_CHECKED = 0;
// Something could not be checked (the report names it), or the report could not be written.
inline constexpr int EXIT_INCOMPLETE = 2;
// An uncaught exception ended the run where it happened, with no closing text. quentix-summary
// ends the same way with the same status.
inline constexpr int EXIT_ABNORMAL_TERMINATION = 3;
