// A COM+ catalog of our own, for systems without one and for tests: its applications and
// components come from C++ tables, and any single call it answers can be made to fail with a chosen
// HRESULT or to succeed without delivering anything. It depends on nothing but COM, so the
// same source serves the unit tests, the test harness and an in-process COM server DLL.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/comadmin.h"
#include "fakes/counted_object.h"
#include "support/wide_text.h"

// A property value as the catalog hands it out.
struct FakeValue {
  VARTYPE type = VT_EMPTY;  // VT_BSTR, VT_I4, VT_NULL or VT_EMPTY
  bool nullText = false;    // a VT_BSTR whose string pointer is null
  WideString text;
  LONG number = 0;
};

inline FakeValue Text(std::u16string_view text) {
  return {VT_BSTR, false, Wide(text), 0};
}
inline FakeValue NullText() {
  return {VT_BSTR, true, {}, 0};
}
inline FakeValue Number(LONG number) {
  return {VT_I4, false, {}, number};
}
inline FakeValue NullValue() {
  return {VT_NULL, false, {}, 0};
}

struct FakeComponent {
  FakeValue name;
  FakeValue dll;  // the "DLL" property
};

struct FakeApplication {
  FakeValue name;
  std::vector<FakeComponent> components = {};
  std::u16string key = {};  // handed out as a VT_BSTR; "{APP-<a>}" when empty
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
  std::vector<FakeFault> faults = {};
};

// A new class object (IClassFactory) that makes catalogs over data; one reference, the
// caller's. The catalog answers GetCollection("Applications"); the applications collection
// answers GetCollection("Components", key) for the application of that key and fails with
// E_INVALIDARG for any other key. Collections show their items only once populated. A VARIANT
// is delivered as a real catalog delivers an out-argument: written over, whatever it held.
IClassFactory* NewFakeCatalogFactory(FakeCatalogData data);

// The catalogs the black-box suites serve, by name, their DLL files in folder; nothing for a
// name it does not know.
std::optional<FakeCatalogData> CatalogScenario(std::string_view name, std::string_view folder);
