#include "inspect/project_header.h"

#include <cstring>

namespace {

bool StartsAt(const unsigned char* at, std::size_t left, std::string_view pattern) {
  return left >= pattern.size() && std::memcmp(at, pattern.data(), pattern.size()) == 0;
}

}  // namespace

// All three patterns begin with 'B', so memchr (vectorised in the C library) skips to the
// candidates and only they are compared.
HeaderScan ScanProjectHeader(const unsigned char* data, std::size_t size) {
  static_assert(RUNTIME5_NAME[0] == 'B' && RUNTIME6_NAME[0] == 'B' && PROJECT_SIGNATURE[0] == 'B');
  HeaderScan scan;
  std::size_t i = 0;
  while (i < size) {
    const void* found = std::memchr(data + i, 'B', size - i);
    if (found == nullptr) break;
    i = static_cast<std::size_t>(static_cast<const unsigned char*>(found) - data);
    const unsigned char* at = data + i;
    std::size_t left = size - i;
    if (StartsAt(at, left, PROJECT_SIGNATURE)) {
      scan.signature = i;
      scan.flagsPastData = left <= FLAGS_OFFSET;
      if (scan.flagsPastData) return scan;
      scan.found = true;
      scan.flags = at[FLAGS_OFFSET];
      return scan;
    }
    if (StartsAt(at, left, RUNTIME5_NAME)) scan.version5 = true;
    if (StartsAt(at, left, RUNTIME6_NAME)) scan.version5 = false;
    ++i;
  }
  return scan;
}

DllVerdict JudgeProjectHeader(const HeaderScan& scan) {
  if (!scan.found) return DllVerdict::NoHeader;
  if ((scan.flags & REQUIRED_FLAGS) == REQUIRED_FLAGS) return DllVerdict::Fine;
  if (scan.version5) return DllVerdict::Version5;
  return DllVerdict::Recompile;
}
