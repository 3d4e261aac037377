// The Brannic project header as it lies in a DLL file's first bytes, and the judgement of
// its flags. Pure functions over a buffer: no file, no report.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

constexpr std::size_t SCAN_LIMIT = 64000;
constexpr std::size_t FLAGS_OFFSET = 60;
constexpr std::string_view RUNTIME5_NAME = "BRANVM50.DLL";
constexpr std::string_view RUNTIME6_NAME = "BRANVM60.DLL";
constexpr std::string_view PROJECT_SIGNATURE = "BR5!";
constexpr std::uint8_t RETAINED_IN_MEMORY_BIT = 0x10;
constexpr std::uint8_t UNATTENDED_EXECUTION_BIT = 0x04;
constexpr std::uint8_t REQUIRED_FLAGS = RETAINED_IN_MEMORY_BIT | UNATTENDED_EXECUTION_BIT;

struct HeaderScan {
  bool found = false;          // a signature whose flags byte lies within the data
  bool flagsPastData = false;  // a signature within the data whose flags byte lies past it
  std::size_t signature = 0;   // offset of that signature
  std::uint8_t flags = 0;      // its flags byte
  bool version5 = false;       // the last runtime name seen was the version-5 one
};

// Looks for the first signature in data[0, size). Nothing beyond the data is read: a
// signature whose flags byte lies past it is not found, but marked, so that a caller whose
// data is the start of a longer file can take that byte from the file.
HeaderScan ScanProjectHeader(const unsigned char* data, std::size_t size);

enum class DllVerdict {
  NoHeader,   // nothing to say about the file
  Fine,       // both flags set
  Version5,   // a flag is missing, but the file is a version-5 build
  Recompile,  // a flag is missing
};

DllVerdict JudgeProjectHeader(const HeaderScan& scan);
