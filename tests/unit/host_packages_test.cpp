// Naming what runs in a host process, from what the tracker delivers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/fake_package_tracker.h"
#include "hosts/host_packages.h"
#include "support/report_capture.h"

namespace {

// COM for the test's thread, and the fake tracker registered with the setup given.
class RegisteredTracker {
 public:
  explicit RegisteredTracker(TrackerSetup setup) {
    CoInitialize(nullptr);
    SetFakeTrackerSetup(std::move(setup));
    EXPECT_EQ(RegisterFakeTracker(&cookie_), S_OK);
  }
  ~RegisteredTracker() {
    RevokeFakeTracker(cookie_);
    CoUninitialize();
  }

 private:
  DWORD cookie_ = 0;
};

struct PackagesCase {
  const char* what;
  TrackerSetup setup;
  DWORD processId;
  const char* exeName;
  std::string report;
};

void PrintTo(const PackagesCase& c, std::ostream* out) {
  *out << c.what;
}

constexpr DWORD HOST = 1200;
constexpr DWORD OTHER = 3400;
const std::string IIS_LINE = "IIS In-Process Applications\r\n";

std::vector<FakePackage> TwoForHost() {
  return {{u"Sales", HOST}, {u"Ledger", OTHER}, {u"Orders", HOST}};
}

class PrintHostPackagesTest : public testing::TestWithParam<PackagesCase> {};

TEST_P(PrintHostPackagesTest, PrintsTheLinesAndReleasesEverything) {
  const PackagesCase& c = GetParam();
  {
    RegisteredTracker tracker(c.setup);
    ReportCapture capture;
    const bool printed = PrintHostPackages(c.processId, c.exeName);
    EXPECT_EQ(capture.Text(), c.report);
    EXPECT_EQ(printed, !c.report.empty());
  }
  EXPECT_EQ(LiveTrackerObjects(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Tracker, PrintHostPackagesTest,
    testing::Values(
        PackagesCase{"two packages in index order",
                     {TwoForHost()},
                     HOST,
                     "dllhost.exe",
                     "Sales\r\nOrders\r\n"},
        PackagesCase{"host id matches no item", {TwoForHost()}, 99, "dllhost.exe", ""},
        PackagesCase{"repeated names each printed",
                     {{{u"Same", HOST}, {u"Same", HOST}}},
                     HOST,
                     "dllhost.exe",
                     "Same\r\nSame\r\n"},
        PackagesCase{"item without the package interface is passed over",
                     {{{u"Hidden", HOST, false}, {u"Shown", HOST}}},
                     HOST,
                     "dllhost.exe",
                     "Shown\r\n"},
        PackagesCase{"empty list, web server", {}, HOST, "inetinfo.exe", IIS_LINE},
        PackagesCase{"empty list, surrogate", {}, HOST, "dllhost.exe", ""},
        PackagesCase{"packages elsewhere, web server in capitals",
                     {{{u"A", OTHER}, {u"B", OTHER}}},
                     HOST,
                     "INETINFO.EXE",
                     IIS_LINE},
        PackagesCase{"web server running a package",
                     {TwoForHost()},
                     HOST,
                     "inetinfo.exe",
                     "Sales\r\nOrders\r\n"},
        PackagesCase{"tracker not created",
                     {TwoForHost(), {{TrackerCall::Create, TrackerOutcome::Fail}}},
                     HOST,
                     "inetinfo.exe",
                     ""},
        PackagesCase{"tracker created without a pointer",
                     {TwoForHost(), {{TrackerCall::Create, TrackerOutcome::DeliverNothing}}},
                     HOST,
                     "inetinfo.exe",
                     ""},
        PackagesCase{"refresh failing is not looked at",
                     {TwoForHost(), {{TrackerCall::Refresh, TrackerOutcome::Fail}}},
                     HOST,
                     "dllhost.exe",
                     "Sales\r\nOrders\r\n"},
        PackagesCase{"count not delivered counts as none",
                     {TwoForHost(), {{TrackerCall::Count, TrackerOutcome::Fail}}},
                     HOST,
                     "inetinfo.exe",
                     IIS_LINE},
        PackagesCase{"count delivered with a failure still counts",
                     {TwoForHost(), {{TrackerCall::Count, TrackerOutcome::FailAfterDelivery}}},
                     HOST,
                     "dllhost.exe",
                     "Sales\r\nOrders\r\n"},
        PackagesCase{
            "negative count gives no pass", {TwoForHost(), {}, -1}, HOST, "inetinfo.exe", IIS_LINE},
        PackagesCase{"count beyond the list",
                     {TwoForHost(), {}, 5},
                     HOST,
                     "dllhost.exe",
                     "Sales\r\nOrders\r\n"},
        PackagesCase{"item not delivered, the next still read",
                     {TwoForHost(), {{TrackerCall::Item, TrackerOutcome::Fail, 0}}},
                     HOST,
                     "dllhost.exe",
                     "Orders\r\n"},
        PackagesCase{
            "interface query succeeding without a pointer",
            {TwoForHost(), {{TrackerCall::QueryRunningPackage, TrackerOutcome::DeliverNothing, 2}}},
            HOST,
            "dllhost.exe",
            "Sales\r\n"},
        PackagesCase{"process id not delivered matches nothing",
                     {TwoForHost(), {{TrackerCall::ProcessId, TrackerOutcome::DeliverNothing}}},
                     HOST,
                     "inetinfo.exe",
                     IIS_LINE},
        PackagesCase{"name not delivered prints an empty line",
                     {TwoForHost(), {{TrackerCall::Name, TrackerOutcome::Fail, 0}}},
                     HOST,
                     "dllhost.exe",
                     "\r\nOrders\r\n"},
        PackagesCase{"name ends at its first NUL",
                     {{{std::u16string(u"Cut\0off", 7), HOST}}},
                     HOST,
                     "dllhost.exe",
                     "Cut\r\n"}));

#if !defined(_WIN32)
// This system registers no tracker class of its own.
TEST(PrintHostPackages, WithoutATrackerClassPrintsNothingForEitherHost) {
  CoInitialize(nullptr);
  ReportCapture capture;
  EXPECT_FALSE(PrintHostPackages(HOST, "inetinfo.exe"));
  EXPECT_FALSE(PrintHostPackages(HOST, "dllhost.exe"));
  EXPECT_EQ(capture.Text(), "");
  CoUninitialize();
}
#endif

}  // namespace
