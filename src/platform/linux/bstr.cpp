// OLE Automation strings, laid out as on Windows: a BSTR points just past a 32-bit byte count,
// and its 16-bit units always end with a NUL unit that the count leaves out.
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "platform/linux/win32_subset.h"

namespace {

// The 32-bit byte count sits just before the first unit.
std::uint32_t* PrefixOf(BSTR text) {
  return reinterpret_cast<std::uint32_t*>(reinterpret_cast<char*>(text) - sizeof(std::uint32_t));
}

// Each public call allocates through this alone, so that every string made counts once.
BSTR Allocate(const OLECHAR* text, std::size_t units) {
  constexpr std::size_t largest = (std::numeric_limits<std::uint32_t>::max() - 8) / sizeof(OLECHAR);
  if (units > largest) return nullptr;
  void* block = std::malloc(sizeof(std::uint32_t) + (units + 1) * sizeof(OLECHAR));
  if (block == nullptr) return nullptr;
  auto* prefix = static_cast<std::uint32_t*>(block);
  *prefix = static_cast<std::uint32_t>(units * sizeof(OLECHAR));
  BSTR result = reinterpret_cast<BSTR>(prefix + 1);
  // Without text, the units are left unset, as on Windows.
  if (text != nullptr) std::memcpy(result, text, units * sizeof(OLECHAR));
  result[units] = 0;
  return result;
}

}  // namespace

BSTR WINAPI SysAllocStringLen(const OLECHAR* text, UINT units) {
  return Allocate(text, units);
}

BSTR WINAPI SysAllocString(const OLECHAR* text) {
  if (text == nullptr) return nullptr;
  return Allocate(text, std::char_traits<OLECHAR>::length(text));
}

void WINAPI SysFreeString(BSTR text) {
  if (text != nullptr) std::free(PrefixOf(text));
}

UINT WINAPI SysStringLen(BSTR text) {
  if (text == nullptr) return 0;
  return static_cast<UINT>(*PrefixOf(text) / sizeof(OLECHAR));
}
