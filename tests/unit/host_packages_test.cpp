// Naming what runs in a host process, from what the tracker delivers.
#include <gtest/gtest.h>

#include <optional>
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
  HostKind kind;
  std::string report;
};

void PrintTo(const PackagesCase& c, std::ostream* out) {
  *out << c.what;
}

constexpr DWORD HOST = 1200;
constexpr DWORD OTHER = 3400;
constexpr HostKind WEB = HostKind::WebServer;
constexpr HostKind SURROGATE = HostKind::Surrogate;
const std::string IIS_LINE = "IIS In-Process Applications\r\n";
const std::string TWO_LINES = "Sales\r\nOrders\r\n";

using enum TrackerCall;
using enum TrackerOutcome;

// Two packages of the host with one of another process between them, and the faults given.
TrackerSetup TwoForHost(std::vector<TrackerFault> faults = {}, std::optional<LONG> count = {}) {
  return {{{u"Sales", HOST}, {u"Ledger", OTHER}, {u"Orders", HOST}}, std::move(faults), count};
}

class PrintHostPackagesTest : public testing::TestWithParam<PackagesCase> {};

TEST_P(PrintHostPackagesTest, PrintsTheLinesAndReleasesEverything) {
  const PackagesCase& c = GetParam();
  {
    RegisteredTracker tracker(c.setup);
    ReportCapture capture;
    const bool printed = PrintHostPackages(HOST, c.kind);
    EXPECT_EQ(capture.Text(), c.report);
    EXPECT_EQ(printed, !c.report.empty());
  }
  EXPECT_EQ(LiveTrackerObjects(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Tracker, PrintHostPackagesTest,
    testing::Values(
        PackagesCase{"two packages in index order", TwoForHost(), SURROGATE, TWO_LINES},
        PackagesCase{"web server running a package", TwoForHost(), WEB, TWO_LINES},
        PackagesCase{"packages of others only", {{{u"A", OTHER}, {u"B", OTHER}}}, SURROGATE, ""},
        PackagesCase{
            "packages of others only, web server", {{{u"A", OTHER}, {u"B", OTHER}}}, WEB, IIS_LINE},
        PackagesCase{"repeated names each printed",
                     {{{u"Same", HOST}, {u"Same", HOST}}},
                     SURROGATE,
                     "Same\r\nSame\r\n"},
        PackagesCase{"item without the package interface is passed over",
                     {{{u"Hidden", HOST, false}, {u"Shown", HOST}}},
                     SURROGATE,
                     "Shown\r\n"},
        PackagesCase{"empty list, web server", {}, WEB, IIS_LINE},
        PackagesCase{"empty list, surrogate", {}, SURROGATE, ""},
        PackagesCase{"tracker not created", TwoForHost({{Create, Fail}}), WEB, ""},
        PackagesCase{"tracker created without a pointer", TwoForHost({{Create, DeliverNothing}}),
                     WEB, ""},
        PackagesCase{"refresh failing is not looked at", TwoForHost({{Refresh, Fail}}), SURROGATE,
                     TWO_LINES},
        PackagesCase{"count not delivered counts as none", TwoForHost({{Count, Fail}}), WEB,
                     IIS_LINE},
        PackagesCase{"count delivered with a failure still counts",
                     TwoForHost({{Count, FailAfterDelivery}}), SURROGATE, TWO_LINES},
        PackagesCase{"negative count gives no pass", TwoForHost({}, -1), WEB, IIS_LINE},
        PackagesCase{"count beyond the list", TwoForHost({}, 5), SURROGATE, TWO_LINES},
        PackagesCase{"item not delivered, the next still read", TwoForHost({{Item, Fail, 0}}),
                     SURROGATE, "Orders\r\n"},
        PackagesCase{"interface query succeeding without a pointer",
                     TwoForHost({{QueryRunningPackage, DeliverNothing, 2}}), SURROGATE,
                     "Sales\r\n"},
        PackagesCase{"process id not delivered matches nothing",
                     TwoForHost({{ProcessId, DeliverNothing}}), WEB, IIS_LINE},
        PackagesCase{"name not delivered prints an empty line", TwoForHost({{Name, Fail, 0}}),
                     SURROGATE, "\r\nOrders\r\n"},
        PackagesCase{"name ends at its first NUL",
                     {{{std::u16string(u"Cut\0off", 7), HOST}}},
                     SURROGATE,
                     "Cut\r\n"}));

#if !defined(_WIN32)
// This system registers no tracker class of its own.
TEST(PrintHostPackages, WithoutATrackerClassPrintsNothingForEitherHost) {
  CoInitialize(nullptr);
  ReportCapture capture;
  EXPECT_FALSE(PrintHostPackages(HOST, WEB));
  EXPECT_FALSE(PrintHostPackages(HOST, SURROGATE));
  EXPECT_EQ(capture.Text(), "");
  CoUninitialize();
}
#endif

}  // namespace
