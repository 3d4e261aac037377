#pragma once

#include <cstdint>

// The context every caller passes to CheckDllFile.
inline constexpr char SINGLE_DLL_TAG[] = "{11923736-AE9D-11d4-96D7-00C04F91A7C3}";

// Reads the first bytes of the file at path, judges its project header and reports the
// verdict; a DLL to recompile is recorded in the run's outcome. A file that cannot be opened gets
// its "Unable to open: " line; it, a file that is no disk file and one that cannot be read are
// reported as not checked.
void CheckDllFile(const char* path, const char* tag);

// The same check of a file already opened as file (a HANDLE), which it closes;
// INVALID_HANDLE_VALUE, with the last error set, when the file at path could not be opened.
void CheckOpenedDllFile(const char* path, void* file);

// The two lines that show the two flags of a project-flags byte.
void PrintProjectFlags(std::uint8_t flags);
