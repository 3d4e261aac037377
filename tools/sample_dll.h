// Bytes of sample DLL files whose project headers cover each verdict of the check.
#pragma once

#include <cstdint>
#include <string>

enum class SampleKind {
  Fine,       // both flags set
  Recompile,  // "Unattended Execution" missing
  Version5,   // a version-5 build with a flag missing
  NoHeader,   // not built by Brannic
};

// A file of about 70 KB laid out like a small executable: a DOS stub, the runtime library's
// name among its imports, then the project header with the given flags byte.
std::string MakeSampleDll(SampleKind kind);

// The project header alone: the signature, 56 filler bytes and the flags byte.
std::string MakeProjectHeader(std::uint8_t flags);
