// Counts of the calls the scan makes to reach files, taken while counting is on: the linker
// puts counting wrappers in place of the C library's calls for this program's own code (see
// CMakeLists.txt), and of the module walk's steps.
#pragma once

struct CallCounts {
  long opens = 0;    // open, openat, opendir and openat2
  long stats = 0;    // stat and fstat
  long modules = 0;  // module entries the walks yielded
};

// Starts counting from zero.
void StartCounting();
// Stops counting, and gives the counts since it started.
CallCounts StopCounting();
