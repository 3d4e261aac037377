#pragma once

#include <cstdint>

// The context every caller passes to CheckDllFile.
inline constexpr char SINGLE_DLL_TAG[] = "{11923736-AE9D-11d4-96D7-00C04F91A7C3}";

// Set by CheckDllFile when it asks for a DLL to be recompiled; never cleared.
extern bool RecompileNeeded;

// Reads the first bytes of the file at path, judges its project header and reports the
// verdict. Never fails: a file that cannot be opened gets an "Unable to open: " line.
void CheckDllFile(const char* path, const char* tag);

// The two lines that show the two flags of a project-flags byte.
void PrintProjectFlags(std::uint8_t flags);
