// The catalog walk against the fake catalog: what a failing call leaves out and how the walk
// names it, how values become text, and that every string and object obtained is given back.
// What each case reports stands in tests/data/walks/catalog.txt.
#include <gtest/gtest.h>

#include <string>

#include "catalog/catalog_scan.h"
#include "fakes/fake_catalog.h"
#include "sample_dll.h"
#include "support/expected_text.h"
#include "support/report_capture.h"
#include "support/temp_folder.h"
#if !defined(_WIN32)
#include "support/link_seams.h"
#endif

namespace {

// Runs ScanCatalog over data and returns what it reported after the announcement. Every BSTR
// and fake object made on the way must be gone afterwards: the fake writes over its
// out-arguments as a real catalog does, so a VARIANT that the walk did not clear before it was
// filled again would leave a string behind.
std::string Walk(FakeCatalogData data) {
  CoInitialize(nullptr);
  const long objectsBefore = LiveFakeObjects;
#if !defined(_WIN32)
  const long stringsBefore = LiveBstrCount();
#endif
  DWORD cookie = 0;
  EXPECT_EQ(
      RegisterClassFactory(CLSID_COMAdminCatalog, NewFakeCatalogFactory(std::move(data)), &cookie),
      S_OK);
  std::string text;
  {
    ReportCapture capture;
    ScanCatalog();
    text = capture.Text();
  }
  CoRevokeClassObject(cookie);
  CoUninitialize();
  EXPECT_EQ(LiveFakeObjects, objectsBefore);
#if !defined(_WIN32)
  EXPECT_EQ(LiveBstrCount(), stringsBefore);
#endif
  const std::string announcement = ExpectedText("walks/catalog.txt", "announcement");
  EXPECT_TRUE(text.starts_with(announcement)) << text;
  return text.substr(std::min(announcement.size(), text.size()));
}

TEST(CatalogWalk, NamesWhatAFailingCallLeavesOutAndGoesOn) {
  TempFolder folder;
  const std::string plain = folder.Write("plain.dll", MakeSampleDll(SampleKind::NoHeader));
  const FakeValue dll = Text(std::u16string(plain.begin(), plain.end()));  // an ASCII path
  // Two applications of two components each, whose DLLs have no project header: what remains
  // is the walk's own report.
  const auto twoByTwo = [&](std::vector<FakeFault> faults) {
    return FakeCatalogData{
        {{Text(u"Sales"), {{Text(u"Sales.Quote"), dll}, {Text(u"Sales.Order"), dll}}},
         {Text(u"Stock"), {{Text(u"Stock.Count"), dll}, {Text(u"Stock.Move"), dll}}}},
        std::move(faults)};
  };
  const struct {
    const char* name;
    FakeFault fault;
  } cases[] = {
      {"class CreateInstance", {"class", "CreateInstance", 1, false, REGDB_E_CLASSNOTREG}},
      {"catalog QueryInterface", {"catalog", "QueryInterface", 1, false, E_NOINTERFACE}},
      {"catalog QueryInterface nothing", {"catalog", "QueryInterface", 1, true}},
      {"catalog GetCollection", {"catalog", "GetCollection", 1, false, E_ACCESSDENIED}},
      {"catalog GetCollection nothing", {"catalog", "GetCollection", 1, true}},
      {"applications Populate", {"applications", "Populate", 1, false, E_UNEXPECTED}},
      {"applications Count", {"applications", "Count", 1}},
      {"applications Count nothing", {"applications", "Count", 1, true}},
      {"applications Item(0)", {"applications", "Item(0)", 1}},
      {"applications Item(0) again", {"applications", "Item(0)", 2}},
      {"applications Item(0) again nothing", {"applications", "Item(0)", 2, true}},
      {"application:0 Name again", {"application:0", "Name", 2}},
      {"application:0 Key", {"application:0", "Key", 1}},
      {"application:0 Key nothing", {"application:0", "Key", 1, true}},
      {"applications GetCollection", {"applications", "GetCollection", 1, false, E_ACCESSDENIED}},
      {"application:0 Name", {"application:0", "Name", 1}},
      {"application:1 Name nothing", {"application:1", "Name", 1, true}},
      {"components:0 Populate", {"components:0", "Populate", 1}},
      {"components:0 Count", {"components:0", "Count", 0}},
      {"components:0 Count nothing", {"components:0", "Count", 0, true}},
      {"components:0 Item(0)", {"components:0", "Item(0)", 1}},
      {"components:0 Item(0) again", {"components:0", "Item(0)", 2}},
      {"component:0.0 Value", {"component:0.0", "Value", 1}},
      {"component:0.0 Value nothing", {"component:0.0", "Value", 1, true}},
      {"component:0.1 Name nothing", {"component:0.1", "Name", 1, true}},
  };
  EXPECT_EQ(Walk(twoByTwo({})), ExpectedText("walks/catalog.txt", "no fault"));
  for (const auto& c : cases)
    EXPECT_EQ(Walk(twoByTwo({c.fault})), ExpectedText("walks/catalog.txt", c.name)) << c.name;
  EXPECT_EQ(Walk({}), ExpectedText("walks/catalog.txt", "empty catalog"));
}

#if !defined(_WIN32)
// Text that cannot be had is named where it was needed, and the walk goes on.
TEST(CatalogWalk, NamesTextThatCannotBeHad) {
  InjectFault({FaultPoint::SysAllocStringLen, ERROR_NOT_ENOUGH_MEMORY});  // "Applications"
  EXPECT_EQ(Walk({}), ExpectedText("walks/catalog.txt", "no collection name"));
  InjectFault({FaultPoint::WideCharToMultiByte, ERROR_NOT_ENOUGH_MEMORY});  // the first name
  EXPECT_EQ(Walk({{{Text(u"Sales")}, {Text(u"Stock")}}}),
            ExpectedText("walks/catalog.txt", "no narrow name"));
}
#endif

// Every application lists its own components, found by its own Key, whatever its name; names
// and DLL values are taken as text.
TEST(CatalogWalk, TakesNamesAndValuesAsText) {
  EXPECT_EQ(
      Walk({{{Text(u"Shop"), {{Text(u"Shop.Front"), NullText()}}, u"{K1}"},
             {Text(u"Shop"), {{Text(u"Shop.Back"), Text(u"")}, {Number(7), Number(42)}}, u"{K2}"},
             {Number(2001),
              {{NullText(), Text(u"")},
               {Text(std::u16string_view(u"First\0Hidden", 12)), Text(u"")},
               {Text(u"Twin"), NullText()}}}}}),
      ExpectedText("walks/catalog.txt", "names and values"));
}

}  // namespace
