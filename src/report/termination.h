#pragma once

// Makes every uncaught exception end the process at once: the termination text on standard
// error, EXIT_ABNORMAL_TERMINATION, and nothing else (no destructor, no exit-time function, no
// flush of the report). Returns true so that it can initialise a static before anything that may
// throw.
bool InstallTerminationHandler();

[[noreturn]] void TerminateAbnormally() noexcept;
