// A COM+ catalog of our own, for systems without one and for tests: its applications and
// components come from data, and any single call it answers can be made to fail with a chosen
// HRESULT or to succeed without delivering anything. It depends on nothing but the platform
// layer, so the same source serves the unit tests, the test harness and an in-process COM
// server DLL.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/comadmin.h"

// A property value as the catalog hands it out.
struct FakeValue {
  VARTYPE type = VT_EMPTY;  // VT_BSTR, VT_I4, VT_NULL or VT_EMPTY
  bool nullText = false;    // a VT_BSTR whose string pointer is null
  std::basic_string<OLECHAR> text;
  LONG number = 0;
};

struct FakeComponent {
  FakeValue name;
  FakeValue dll;  // the "DLL" property
};

struct FakeApplication {
  FakeValue name;
  std::basic_string<OLECHAR> key;  // handed out as a VT_BSTR
  std::vector<FakeComponent> components;
};

// What one call does instead of its normal work. Calls are named by the object that answers
// them and by the method:
//   targets  "class" (the class object), "catalog", "applications", "application:<a>",
//            "components:<a>", "component:<a>.<c>" (a and c count from 0)
//   calls    "CreateInstance", "QueryInterface" (for the object's own catalog interface),
//            "GetCollection", "Populate", "Count", "Item(<index>)", "Name", "Key", "Value"
// Every object of one target shares one tally per call, so "the second Item(0) on
// applications" is the second such call, whichever object answered the first.
struct FakeFault {
  std::string target;
  std::string call;
  int occurrence = 0;           // the n-th such call, counting from 1; 0 for every one
  bool deliverNothing = false;  // succeed, leaving every output as the caller set it
  HRESULT failure = E_FAIL;     // otherwise fail with this
};

struct FakeCatalogData {
  std::vector<FakeApplication> applications;
  std::vector<FakeFault> faults;
};

// The text form of the data, one statement a line; '#' starts a comment:
//   application <value> [key <text>]   an application; the key defaults to "{APP-<a>}"
//   component <value> dll <value>      a component of the application above it
//   fail <target> <call> <n>|* <hresult>|nothing
// A <value> is "text" (escapes \" \\ \uXXXX; other bytes must be ASCII), nulltext (a VT_BSTR
// with a null pointer), a decimal number (VT_I4), null (VT_NULL) or empty (VT_EMPTY). A
// <text> is "text" alone. An <hresult> is hexadecimal with 0x.
bool ParseFakeCatalog(std::string_view text, FakeCatalogData* data, std::string* error);
bool LoadFakeCatalogFile(const char* path, FakeCatalogData* data, std::string* error);

// A new class object (IClassFactory) that makes catalogs over data; one reference, the
// caller's. The catalog answers GetCollection("Applications"); the applications collection
// answers GetCollection("Components", key) for the application of that key and fails with
// E_INVALIDARG for any other key. Collections show their items only once populated. A VARIANT
// delivered by the catalog replaces what the caller's VARIANT held, as VariantCopy does.
IClassFactory* NewFakeCatalogFactory(FakeCatalogData data);

// Registers a class object over data for CLSID_COMAdminCatalog in this process (COM must be
// initialised), or revokes it.
HRESULT RegisterFakeCatalog(FakeCatalogData data, DWORD* cookie);
HRESULT RevokeFakeCatalog(DWORD cookie);

// How many fake catalog objects of any kind (class objects included) are alive.
long FakeCatalogLiveObjects();
