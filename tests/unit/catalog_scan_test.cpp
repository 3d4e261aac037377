// The catalog walk against the fake catalog: what a failing call leaves out and how the walk
// names it, how values become text, and that every string and object obtained is given back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalog/catalog_scan.h"
#include "fakes/fake_catalog.h"
#include "inspect/dll_check.h"
#include "sample_dll.h"
#include "support/report_capture.h"
#include "support/system_text.h"
#include "support/temp_folder.h"
#if !defined(_WIN32)
#include "support/link_seams.h"
#endif

namespace {

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

std::string NotChecked(const std::string& subject, HRESULT hr) {
  return "Not checked: " + subject + " (" + ErrorText(static_cast<DWORD>(hr), true) + ")";
}

// Two applications of two components each. Their DLLs have no project header, so the check
// prints nothing for them: what remains is the walk's own report.
class CatalogWalk : public testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    const std::string plain = folder_.Write("plain.dll", MakeSampleDll(SampleKind::NoHeader));
    plain_.assign(plain.begin(), plain.end());  // an ASCII path
  }
  void TearDown() override { CoUninitialize(); }

  FakeComponent Component(std::u16string_view name) const {
    FakeComponent component{Text(name), Text(u"")};
    component.dll.text = plain_;
    return component;
  }
  FakeCatalogData TwoByTwo(std::vector<FakeFault> faults = {}) const {
    return {{{Text(u"Sales"), {Component(u"Sales.Quote"), Component(u"Sales.Order")}},
             {Text(u"Stock"), {Component(u"Stock.Count"), Component(u"Stock.Move")}}},
            std::move(faults)};
  }

  // Runs ScanCatalog over data and returns what it reported after the announcement. Every
  // BSTR and fake object made on the way must be gone afterwards: the fake writes over its
  // out-arguments as a real catalog does, so a VARIANT that the walk did not clear before it
  // was filled again would leave a string behind.
  std::string Walk(FakeCatalogData data) {
    const long objectsBefore = FakeCatalogLiveObjects();
#if !defined(_WIN32)
    const long stringsBefore = LiveBstrCount();
#endif
    DWORD cookie = 0;
    EXPECT_EQ(RegisterFakeCatalog(std::move(data), &cookie), S_OK);
    std::string text;
    {
      ReportCapture capture;
      ScanCatalog();
      text = capture.Text();
    }
    RevokeFakeCatalog(cookie);
    EXPECT_EQ(FakeCatalogLiveObjects(), objectsBefore);
#if !defined(_WIN32)
    EXPECT_EQ(LiveBstrCount(), stringsBefore);
#endif
    const std::string announcement =
        Lines({"", "Opening the COM+ catalog on " + MachineName() + "...", ""});
    EXPECT_EQ(text.substr(0, announcement.size()), announcement);
    return text.size() < announcement.size() ? text : text.substr(announcement.size());
  }

  TempFolder folder_;
  WideString plain_;
};

const std::vector<std::string> kSales = {"Scanning Sales (2 components)", "   ProgID: Sales.Quote",
                                         "   ProgID: Sales.Order", ""};
const std::vector<std::string> kStock = {"Scanning Stock (2 components)", "   ProgID: Stock.Count",
                                         "   ProgID: Stock.Move", ""};

std::vector<std::string> Then(std::vector<std::string> first,
                              const std::vector<std::string>& next) {
  first.insert(first.end(), next.begin(), next.end());
  return first;
}

struct FaultCase {
  FakeFault fault;
  std::vector<std::string> report;
};

TEST_F(CatalogWalk, NamesWhatAFailingCallLeavesOutAndGoesOn) {
  const std::string catalog = "the COM+ catalog on " + MachineName();
  const std::string salesComponents = "the components of application Sales";
  const FaultCase cases[] = {
      // The catalog cannot be opened.
      {{"class", "CreateInstance", 1, false, REGDB_E_CLASSNOTREG},
       {NotChecked(catalog, REGDB_E_CLASSNOTREG)}},
      {{"catalog", "QueryInterface", 1, false, E_NOINTERFACE},
       {NotChecked(catalog, E_NOINTERFACE)}},
      {{"catalog", "QueryInterface", 1, true}, {NotChecked(catalog, E_POINTER)}},
      {{"catalog", "GetCollection", 1, false, E_ACCESSDENIED},
       {NotChecked(catalog, E_ACCESSDENIED)}},
      {{"catalog", "GetCollection", 1, true}, {NotChecked(catalog, E_POINTER)}},
      {{"applications", "Populate", 1, false, E_UNEXPECTED}, {NotChecked(catalog, E_UNEXPECTED)}},
      {{"applications", "Count", 1}, {NotChecked("the applications of " + catalog, E_FAIL)}},
      // An application that cannot be had, or whose own Key cannot be found again.
      {{"applications", "Item(0)", 1},
       Then({NotChecked("application number 1 of the COM+ catalog", E_FAIL)}, kStock)},
      {{"applications", "Item(0)", 2}, Then({NotChecked(salesComponents, E_INVALIDARG)}, kStock)},
      {{"applications", "Item(0)", 2, true},
       Then({NotChecked(salesComponents, E_INVALIDARG)}, kStock)},
      {{"application:0", "Name", 2}, Then({NotChecked(salesComponents, E_INVALIDARG)}, kStock)},
      {{"application:0", "Key", 1}, Then({NotChecked(salesComponents, E_INVALIDARG)}, kStock)},
      {{"application:0", "Key", 1, true},
       Then({NotChecked(salesComponents, E_INVALIDARG)}, kStock)},
      {{"applications", "GetCollection", 1, false, E_ACCESSDENIED},
       Then({NotChecked(salesComponents, E_ACCESSDENIED)}, kStock)},
      // A Name that cannot be read leaves no name, not the one before it.
      {{"application:0", "Name", 1},
       Then({NotChecked("the components of application number 1", E_INVALIDARG)}, kStock)},
      {{"application:1", "Name", 1, true},
       Then(kSales, {NotChecked("the components of application number 2", E_INVALIDARG)})},
      // Components that cannot be listed.
      {{"components:0", "Populate", 1},
       Then({"Scanning Sales (0 components)", NotChecked(salesComponents, E_FAIL), ""}, kStock)},
      {{"components:0", "Count", 0},
       Then({"Scanning Sales (0 components)", NotChecked(salesComponents, E_FAIL), ""}, kStock)},
      // A component that cannot be had, for its line or for its check.
      {{"components:0", "Item(0)", 1},
       Then({"Scanning Sales (2 components)",
             NotChecked("component number 1 of application Sales", E_FAIL),
             "   ProgID: Sales.Order", ""},
            kStock)},
      {{"components:0", "Item(0)", 2},
       Then({"Scanning Sales (2 components)", "   ProgID: Sales.Quote",
             NotChecked("component Sales.Quote of application Sales", E_FAIL),
             "   ProgID: Sales.Order", ""},
            kStock)},
      {{"component:0.0", "Value", 1},
       Then({"Scanning Sales (2 components)", "   ProgID: Sales.Quote",
             NotChecked("component Sales.Quote of application Sales", E_FAIL),
             "   ProgID: Sales.Order", ""},
            kStock)},
      // A Value that succeeds without a value leaves no path; a Name, no name.
      {{"component:0.0", "Value", 1, true},
       Then({"Scanning Sales (2 components)", "   ProgID: Sales.Quote", "Unable to open: ",
             "Not checked: an empty path (" + ErrorText(ERROR_PATH_NOT_FOUND, false) + ")",
             "   ProgID: Sales.Order", ""},
            kStock)},
      {{"component:0.1", "Name", 1, true},
       Then({"Scanning Sales (2 components)", "   ProgID: Sales.Quote", "   ProgID: ", ""},
            kStock)},
  };
  EXPECT_EQ(Walk(TwoByTwo()), Lines(Then(kSales, kStock)));
  for (const FaultCase& c : cases)
    EXPECT_EQ(Walk(TwoByTwo({c.fault})), Lines(c.report)) << c.fault.target << ' ' << c.fault.call;
  EXPECT_EQ(Walk({}), "") << "an empty catalog";
}

// Every application lists its own components, found by its own Key, whatever its name.
TEST_F(CatalogWalk, TakesNamesAndValuesAsText) {
  FakeCatalogData data = {{
      {Text(u"Shop"), {Component(u"Shop.Front")}, u"{K1}"},
      {Text(u"Shop"), {Component(u"Shop.Back"), {Number(7), Number(42)}}, u"{K2}"},
      {Number(2001),
       {{NullText(), Text(u"")},
        {Text(std::u16string_view(u"First\0Hidden", 12)), Text(u"")},
        {Text(u"Twin"), NullText()}}},
  }};
  EXPECT_EQ(Walk(data),
            Lines({"Scanning Shop (1 component)",
                   "   ProgID: Shop.Front",
                   "",
                   "Scanning Shop (2 components)",
                   "   ProgID: Shop.Back",
                   "   ProgID: 7",
                   "Unable to open: 42",
                   "Not checked: 42 (" + ErrorText(ERROR_FILE_NOT_FOUND, false) + ")",
                   "",
                   "Scanning 2001 (3 components)",
                   "   ProgID: ",
                   "Unable to open: ",
                   "Not checked: an empty path (" + ErrorText(ERROR_PATH_NOT_FOUND, false) + ")",
                   "   ProgID: First",
                   "Unable to open: ",
                   "Not checked: an empty path (" + ErrorText(ERROR_PATH_NOT_FOUND, false) + ")",
                   "   ProgID: Twin",
                   "Unable to open: ",
                   "Not checked: an empty path (" + ErrorText(ERROR_PATH_NOT_FOUND, false) + ")",
                   ""}));
}

}  // namespace
