// The package tracker's interfaces are declared here, not by the system's headers, and are
// called on the system's own objects: every method the scan calls must sit in the
// method-table slot those objects have it in.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "hosts/package_tracker.h"

namespace {

// A pointer to a virtual member function holds one more than the byte offset of its slot in
// the method table (the Itanium C++ ABI, which GCC and Clang follow on every system we build).
template <class Method>
std::size_t SlotOf(Method method) {
  std::uintptr_t raw = 0;
  static_assert(sizeof(Method) >= sizeof raw);
  std::memcpy(&raw, &method, sizeof raw);
  return (raw - 1) / sizeof(void*);
}

TEST(Interfaces, MethodsSitInTheSystemsSlots) {
  struct Case {
    const char* method;
    std::size_t slot;
    std::size_t expected;
  };
  const Case cases[] = {
      {"IPackageTracker::GetCount", SlotOf(&IPackageTracker::GetCount), 7},
      {"IPackageTracker::GetItem", SlotOf(&IPackageTracker::GetItem), 8},
      {"IPackageTracker::Refresh", SlotOf(&IPackageTracker::Refresh), 9},
      {"RunningPackage::GetName", SlotOf(&RunningPackage::GetName), 7},
      {"RunningPackage::GetProcessId", SlotOf(&RunningPackage::GetProcessId), 11},
  };
  for (const Case& c : cases) EXPECT_EQ(c.slot, c.expected) << c.method;
}

}  // namespace
