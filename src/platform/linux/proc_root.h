// Where the process tree is read from. A plain C name of its own, in a file of its own, so
// that a test build can put a tree of its own in its place at link time; the product always
// reads "/proc".
#pragma once

extern "C" const char* ProcRoot();
