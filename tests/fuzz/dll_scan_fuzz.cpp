// The byte scan against a deliberately plain reference that compares every pattern at every
// offset. Any disagreement on whether a header was found, or one whose flags byte lies past the
// data, its offset, its flags byte or the version-5 marker stops the run.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "inspect/project_header.h"

namespace {

bool MatchesAt(const std::uint8_t* data, std::size_t size, std::size_t at,
               std::string_view pattern) {
  if (at + pattern.size() > size) return false;
  for (std::size_t k = 0; k < pattern.size(); ++k)
    if (data[at + k] != static_cast<std::uint8_t>(pattern[k])) return false;
  return true;
}

HeaderScan ReferenceScan(const std::uint8_t* data, std::size_t size) {
  HeaderScan scan;
  for (std::size_t i = 0; i < size; ++i) {
    if (MatchesAt(data, size, i, RUNTIME5_NAME)) scan.version5 = true;
    if (MatchesAt(data, size, i, RUNTIME6_NAME)) scan.version5 = false;
    if (MatchesAt(data, size, i, PROJECT_SIGNATURE)) {
      scan.signature = i;
      if (i + FLAGS_OFFSET < size) {
        scan.found = true;
        scan.flags = data[i + FLAGS_OFFSET];
      } else {
        scan.flagsPastData = true;
      }
      break;
    }
  }
  return scan;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > SCAN_LIMIT) size = SCAN_LIMIT;
  // A copy of exactly the given size, so that a read past its end is caught by the sanitizer.
  const std::vector<unsigned char> copy(data, data + size);
  const HeaderScan fast = ScanProjectHeader(copy.data(), size);
  const HeaderScan plain = ReferenceScan(copy.data(), size);
  if (fast.found != plain.found || fast.flagsPastData != plain.flagsPastData ||
      fast.version5 != plain.version5 ||
      ((fast.found || fast.flagsPastData) && fast.signature != plain.signature) ||
      (fast.found && fast.flags != plain.flags) ||
      JudgeProjectHeader(fast) != JudgeProjectHeader(plain))
    std::abort();
  return 0;
}
