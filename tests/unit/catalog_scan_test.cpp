// The catalog walk against the fake catalog: what it reports, what a failing call leaves out,
// and that every string, VARIANT and object it obtains is given back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalog/catalog_scan.h"
#include "com/com_error.h"
#include "report/report.h"
#include "report/system_info.h"
#include "fakes/fake_catalog.h"
#include "inspect/dll_check.h"
#include "sample_dll.h"
#include "support/report_capture.h"
#include "support/temp_folder.h"
#if !defined(_WIN32)
#include "support/link_seams.h"
#endif
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace {

// A raised failure ends the process where it stands, so what the walk held then is never
// given back. Inside a test the process goes on: those objects are not leaks of the walk.
#if defined(__SANITIZE_ADDRESS__)
using AllocationsOfAnEndedRun = __lsan::ScopedDisabler;
#else
struct AllocationsOfAnEndedRun {};
#endif

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

// A path as quoted text of the fake catalog's data.
std::string Quoted(const std::string& path) {
  std::string text = "\"";
  for (char c : path) {
    if (c == '\\' || c == '"') text += '\\';
    text += c;
  }
  return text + '"';
}

class CatalogWalk : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    RecompileNeeded = false;
    fine_ = folder_.Write("fine.dll", MakeSampleDll(SampleKind::Fine));
    recompile_ = folder_.Write("recompile.dll", MakeSampleDll(SampleKind::Recompile));
    version5_ = folder_.Write("version5.dll", MakeSampleDll(SampleKind::Version5));
    missing_ = (folder_.Path() / "missing.dll").string();
  }
  void TearDown() override {
    RecompileNeeded = false;
    CoUninitialize();
  }

  // The data text with the paths of the sample DLLs put in for FINE, RECOMPILE, VERSION5 and
  // MISSING.
  std::string WithPaths(std::string data) const {
    for (const auto& [word, path] : {std::pair<std::string, std::string>{"FINE", fine_},
                                     {"RECOMPILE", recompile_},
                                     {"VERSION5", version5_},
                                     {"MISSING", missing_}})
      for (std::size_t at; (at = data.find(word)) != std::string::npos;)
        data.replace(at, word.size(), Quoted(path));
    return data;
  }

  DWORD Register(const std::string& data) {
    FakeCatalogData parsed;
    std::string error;
    EXPECT_TRUE(ParseFakeCatalog(WithPaths(data), &parsed, &error)) << error;
    DWORD cookie = 0;
    EXPECT_EQ(RegisterFakeCatalog(parsed, &cookie), S_OK);
    return cookie;
  }

  // Runs ScanCatalog over the catalog the data describes and returns what it reported after
  // the announcement. Every BSTR and fake object made on the way must be gone afterwards.
  std::string Walk(const std::string& data) {
    const long objectsBefore = FakeCatalogLiveObjects();
#if !defined(_WIN32)
    const long stringsBefore = LiveBstrCount();
#endif
    const DWORD cookie = Register(data);
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
    const std::string announcement = Lines(
        {"", std::string("Opening the COM+ catalog on ") + LocalSystem.MachineName + "...", ""});
    EXPECT_EQ(text.substr(0, announcement.size()), announcement);
    return text.size() < announcement.size() ? text : text.substr(announcement.size());
  }

  // What the DLL check reports for path: the catalog walk passes it on untouched.
  static std::string Checked(const std::string& path) {
    const bool recompileNeeded = RecompileNeeded;
    ReportCapture capture;
    CheckDllFile(path.c_str(), SINGLE_DLL_TAG);
    RecompileNeeded = recompileNeeded;
    return capture.Text();
  }

  TempFolder folder_;
  std::string fine_, recompile_, version5_, missing_;
};

// Three applications; the walk of each is ended by its empty line.
const char kThreeApplications[] = R"(
application "Orders"
component "Orders.Entry" dll FINE
component "Orders.Audit" dll RECOMPILE
application "Billing"
component "Billing.Run" dll VERSION5
application "Archive"
)";

TEST_F(CatalogWalk, CatalogThatCannotBeOpenedLeavesOnlyTheAnnouncement) {
  struct Case {
    const char* fault;
    HRESULT opened;  // what OpenCatalog returns
  };
  const Case cases[] = {
      {"fail class CreateInstance 1 0x80040154", static_cast<HRESULT>(0x80040154)},
      {"fail catalog QueryInterface 1 0x80004002", E_NOINTERFACE},
      {"fail catalog QueryInterface 1 nothing", E_POINTER},
      {"fail catalog GetCollection 1 0x80070005", E_ACCESSDENIED},
      {"fail catalog GetCollection 1 nothing", E_POINTER},
      {"fail applications Populate 1 0x8000FFFF", E_UNEXPECTED},
      // Opened, but no application can be counted: nothing is walked.
      {"fail applications Count 1 0x80004005", S_OK},
  };
  for (const Case& c : cases) {
    const std::string data = std::string(kThreeApplications) + c.fault;
    EXPECT_EQ(Walk(data), "") << c.fault;

    const DWORD cookie = Register(data);
    {
      Catalog catalog;
      EXPECT_EQ(OpenCatalog(catalog), c.opened) << c.fault;
    }
    RevokeFakeCatalog(cookie);
  }
  EXPECT_EQ(Walk(""), "") << "an empty catalog";
}

TEST_F(CatalogWalk, EveryApplicationGetsAHeaderWithItsCountAndAnEmptyLineAfterItsComponents) {
  EXPECT_EQ(Walk(kThreeApplications),
            Lines({"Scanning Orders (2 components)", "   ProgID: Orders.Entry"}) + Checked(fine_) +
                Lines({"   ProgID: Orders.Audit"}) + Checked(recompile_) +
                Lines({"", "Scanning Billing (1 component)", "   ProgID: Billing.Run"}) +
                Checked(version5_) + Lines({"", "Scanning Archive (0 components)", ""}));
  EXPECT_TRUE(RecompileNeeded);
}

// Each case: a fault added to the catalog below, and what the walk then reports.
struct FaultCase {
  const char* fault;
  std::vector<std::string> report;  // "<fine>" stands for the check's lines about FINE
};

const char kTwoByTwo[] = R"(
application "Sales"
component "Sales.Quote" dll FINE
component "Sales.Order" dll FINE
application "Stock"
component "Stock.Count" dll FINE
component "Stock.Move" dll FINE
)";

class FailedCall : public CatalogWalk {
 protected:
  std::string Expected(const std::vector<std::string>& report) const {
    std::string text;
    for (const std::string& line : report)
      text += line == "<fine>" ? Checked(fine_) : line + "\r\n";
    return text;
  }
  void Check(const std::vector<FaultCase>& cases) {
    for (const FaultCase& c : cases)
      EXPECT_EQ(Walk(std::string(kTwoByTwo) + c.fault), Expected(c.report)) << c.fault;
  }
};

const std::vector<std::string> kStock = {"Scanning Stock (2 components)",
                                         "   ProgID: Stock.Count",
                                         "<fine>",
                                         "   ProgID: Stock.Move",
                                         "<fine>",
                                         ""};

const std::vector<std::string> kSales = {"Scanning Sales (2 components)",
                                         "   ProgID: Sales.Quote",
                                         "<fine>",
                                         "   ProgID: Sales.Order",
                                         "<fine>",
                                         ""};

std::vector<std::string> AfterSales(std::vector<std::string> sales) {
  sales.insert(sales.end(), kStock.begin(), kStock.end());
  return sales;
}

TEST_F(FailedCall, OnAnApplicationLeavesThatApplicationOutAndTheWalkGoesOn) {
  Check({
      // The walk cannot have the entry, or the entry's own Key cannot be found again.
      {"fail applications Item(0) 1 0x80004005", kStock},
      {"fail applications Item(0) 2 0x80004005", kStock},
      {"fail applications Item(0) 2 nothing", kStock},
      {"fail application:0 Name 2 0x80004005", kStock},
      {"fail application:0 Key 1 0x80004005", kStock},
      {"fail application:0 Key 1 nothing", kStock},
      // A Name that cannot be read leaves the name of the application before (for the first,
      // the empty text) in place. That name is not the entry's own, so no Key is taken from
      // it, and the components of the application before are not listed a second time.
      {"fail application:0 Name 1 0x80004005", kStock},
      {"fail application:1 Name 1 nothing", kSales},
      {"fail applications GetCollection 1 0x80070005", kStock},
  });
}

TEST_F(FailedCall, OnComponentsLeavesOutWhatItConcerns) {
  Check({
      // A components collection that is not populated or cannot be counted counts 0.
      {"fail components:0 Populate 1 0x80004005",
       AfterSales({"Scanning Sales (0 components)", ""})},
      {"fail components:0 Count * 0x80004005", AfterSales({"Scanning Sales (0 components)", ""})},
      {"fail components:0 Count * nothing", AfterSales({"Scanning Sales (0 components)", ""})},
      // No line and no check for a component that cannot be had.
      {"fail components:0 Item(0) 1 0x80004005",
       AfterSales({"Scanning Sales (2 components)", "   ProgID: Sales.Order", "<fine>", ""})},
      // Had for its line, but not again for its check.
      {"fail components:0 Item(0) 2 0x80004005",
       AfterSales({"Scanning Sales (2 components)", "   ProgID: Sales.Quote",
                   "   ProgID: Sales.Order", "<fine>", ""})},
      {"fail component:0.0 Value 1 0x80004005",
       AfterSales({"Scanning Sales (2 components)", "   ProgID: Sales.Quote",
                   "   ProgID: Sales.Order", "<fine>", ""})},
      // A Value that succeeds without a value leaves the empty path, which is checked.
      {"fail component:0.0 Value 1 nothing",
       AfterSales({"Scanning Sales (2 components)", "   ProgID: Sales.Quote",
                   "Unable to open: ", "   ProgID: Sales.Order", "<fine>", ""})},
      // A Name that cannot be read prints what the one name VARIANT holds: the empty text for
      // the first component, the name before it for any other.
      {"fail component:0.0 Name 1 0x80004005",
       AfterSales({"Scanning Sales (2 components)", "   ProgID: ", "<fine>",
                   "   ProgID: Sales.Order", "<fine>", ""})},
      {"fail component:0.1 Name 1 nothing",
       AfterSales({"Scanning Sales (2 components)", "   ProgID: Sales.Quote", "<fine>",
                   "   ProgID: Sales.Quote", "<fine>", ""})},
  });
}

TEST_F(CatalogWalk, EveryApplicationListsItsOwnComponentsWhateverItsName) {
  // Two applications of one name, and one whose name differs from theirs only in case. The
  // file that needs recompiling belongs to the second of the namesakes alone.
  EXPECT_EQ(Walk(R"(
application "Shop" key "{K1}"
component "Shop.Front" dll FINE
application "Shop" key "{K2}"
component "Shop.Back" dll RECOMPILE
component "Shop.Till" dll FINE
application "SHOP" key "{K3}"
)"),
            Lines({"Scanning Shop (1 component)", "   ProgID: Shop.Front"}) + Checked(fine_) +
                Lines({"", "Scanning Shop (2 components)", "   ProgID: Shop.Back"}) +
                Checked(recompile_) + Lines({"   ProgID: Shop.Till"}) + Checked(fine_) +
                Lines({"", "Scanning SHOP (0 components)", ""}));
  EXPECT_TRUE(RecompileNeeded);
}

TEST_F(CatalogWalk, NamesAndDllValuesAreTakenAsText) {
  EXPECT_EQ(
      Walk(R"(
application 2001
component nulltext dll ""
component "" dll MISSING
component 7 dll 42
component "First\u0000Hidden" dll FINE
component "Twin" dll FINE
)"),
      Lines({"Scanning 2001 (5 components)", "   ProgID: ", "Unable to open: ", "   ProgID: "}) +
          Checked(missing_) + Lines({"   ProgID: 7"}) + Checked("42") +
          Lines({"   ProgID: First"}) + Checked(fine_) + Lines({"   ProgID: Twin"}) +
          Checked(fine_) + Lines({""}));
}

TEST_F(CatalogWalk, ValueThatCannotBecomeTextIsRaised) {
  for (const char* data : {"application null", "application \"A\"\ncomponent null dll FINE",
                           "application \"A\"\ncomponent \"C\" dll null"}) {
    const DWORD cookie = Register(data);
    ReportCapture capture;
    [[maybe_unused]] AllocationsOfAnEndedRun ended;
    EXPECT_THROW(ScanCatalog(), _com_error) << data;
    RevokeFakeCatalog(cookie);
  }
}

}  // namespace
