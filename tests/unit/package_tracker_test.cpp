// The tracker's interfaces put each operation in the slot the tracker object calls it by.
#include <gtest/gtest.h>

#include "fakes/fake_package_tracker.h"
#include "hosts/package_tracker.h"

namespace {

// The function in slot of an interface's method table, called as the object would be.
template <typename Function>
Function Slot(void* object, int slot) {
  void** table = *static_cast<void***>(object);
  return reinterpret_cast<Function>(table[slot]);
}

using NoArguments = HRESULT(STDMETHODCALLTYPE*)(void*);

TEST(TrackerInterfaces, EachOperationSitsInItsSlot) {
  SetFakeTrackerSetup({{{u"Sales", 42}}, {}, {}});
  IClassFactory* factory = NewFakeTrackerFactory();
  void* tracker = nullptr;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IPackageTracker, &tracker), S_OK);
  factory->Release();

  EXPECT_EQ(Slot<NoArguments>(tracker, TRACKER_REFRESH_SLOT)(tracker), S_OK);
  LONG count = 0;
  Slot<HRESULT(STDMETHODCALLTYPE*)(void*, LONG*)>(tracker, TRACKER_COUNT_SLOT)(tracker, &count);
  EXPECT_EQ(count, 1);
  IUnknown* item = nullptr;
  Slot<HRESULT(STDMETHODCALLTYPE*)(void*, LONG, IUnknown**)>(tracker, TRACKER_ITEM_SLOT)(tracker, 0,
                                                                                         &item);
  ASSERT_NE(item, nullptr);
  void* package = nullptr;
  ASSERT_EQ(item->QueryInterface(IID_RunningPackage, &package), S_OK);

  BSTR name = nullptr;
  Slot<HRESULT(STDMETHODCALLTYPE*)(void*, BSTR*)>(package, PACKAGE_NAME_SLOT)(package, &name);
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(std::u16string(name, name + SysStringLen(name)), u"Sales");
  SysFreeString(name);
  DWORD processId = 0;
  Slot<HRESULT(STDMETHODCALLTYPE*)(void*, DWORD*)>(package, PACKAGE_PROCESS_ID_SLOT)(package,
                                                                                     &processId);
  EXPECT_EQ(processId, 42u);
  // The slots between are the placeholders, never the operations.
  for (int slot : {3, 4, 5, 6}) {
    EXPECT_EQ(Slot<NoArguments>(tracker, slot)(tracker), E_NOTIMPL) << slot;
    EXPECT_EQ(Slot<NoArguments>(package, slot)(package), E_NOTIMPL) << slot;
  }
  for (int slot : {8, 9, 10}) EXPECT_EQ(Slot<NoArguments>(package, slot)(package), E_NOTIMPL);

  static_cast<IUnknown*>(package)->Release();
  item->Release();
  static_cast<IUnknown*>(tracker)->Release();
  EXPECT_EQ(LiveTrackerObjects(), 0);
}

TEST(TrackerSetupFromText, ReadsOnePackageALine) {
  const TrackerSetup setup = TrackerSetupFromText("4242 Sales Orders\r\n-17 Hidden\nbad\n9 X");
  ASSERT_EQ(setup.packages.size(), 3u);
  EXPECT_EQ(setup.packages[0].name, u"Sales Orders");
  EXPECT_EQ(setup.packages[0].processId, 4242u);
  EXPECT_TRUE(setup.packages[0].offersRunningPackage);
  EXPECT_EQ(setup.packages[1].processId, 17u);
  EXPECT_FALSE(setup.packages[1].offersRunningPackage);
  EXPECT_EQ(setup.packages[2].name, u"X");
}

}  // namespace
