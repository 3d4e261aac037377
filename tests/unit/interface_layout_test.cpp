// The COM+ interfaces as this program declares them must put every method the scans call in
// the method-table slot the system's objects have it in.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "hosts/package_tracker.h"
#include "platform/comadmin.h"

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
      {"IUnknown::Release", SlotOf(&IUnknown::Release), 2},
      {"IDispatch::Invoke", SlotOf(&IDispatch::Invoke), 6},
      {"ICOMAdminCatalog::GetCollection", SlotOf(&ICOMAdminCatalog::GetCollection), 7},
      {"ICatalogCollection::get_Item", SlotOf(&ICatalogCollection::get_Item), 8},
      {"ICatalogCollection::get_Count", SlotOf(&ICatalogCollection::get_Count), 9},
      {"ICatalogCollection::Populate", SlotOf(&ICatalogCollection::Populate), 12},
      {"ICatalogCollection::GetCollection", SlotOf(&ICatalogCollection::GetCollection), 14},
      {"ICatalogObject::get_Value", SlotOf(&ICatalogObject::get_Value), 7},
      {"ICatalogObject::get_Key", SlotOf(&ICatalogObject::get_Key), 9},
      {"ICatalogObject::get_Name", SlotOf(&ICatalogObject::get_Name), 10},
      {"IPackageTracker::GetCount", SlotOf(&IPackageTracker::GetCount), 7},
      {"IPackageTracker::GetItem", SlotOf(&IPackageTracker::GetItem), 8},
      {"IPackageTracker::Refresh", SlotOf(&IPackageTracker::Refresh), 9},
      {"RunningPackage::GetName", SlotOf(&RunningPackage::GetName), 7},
      {"RunningPackage::GetProcessId", SlotOf(&RunningPackage::GetProcessId), 11},
  };
  for (const Case& c : cases) EXPECT_EQ(c.slot, c.expected) << c.method;
}

}  // namespace
