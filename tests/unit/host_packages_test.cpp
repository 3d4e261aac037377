// Naming what runs in a host process, from what the tracker delivers.
#include <gtest/gtest.h>

#include <string>

#include "fakes/fake_package_tracker.h"
#include "hosts/host_packages.h"
#include "support/report_capture.h"
#include "support/system_text.h"
#if !defined(_WIN32)
#include "support/link_seams.h"
#endif

namespace {

constexpr DWORD HOST = 1200;
constexpr DWORD OTHER = 3400;
constexpr HostKind WEB = HostKind::WebServer;
constexpr HostKind SURROGATE = HostKind::Surrogate;
const TrackerSetup kTwoForHost = {{{u"Sales", HOST}, {u"Ledger", OTHER}, {u"Orders", HOST}}};
const TrackerSetup kOthersOnly = {{{u"A", OTHER}, {u"B", OTHER}}};
constexpr char kIisLine[] = "IIS In-Process Applications\r\n";
std::string NotChecked(std::string what, DWORD error) {
  return "Not checked: " + what + " of host.exe (PID:1200) (" + ErrorText(error, true) + ")\r\n";
}
const std::string kNotCounted = NotChecked("the packages", E_POINTER);

TEST(PrintHostPackages, PrintsEachPackageOfTheHostOrTheWebServersLine) {
  const struct {
    TrackerSetup setup;
    HostKind kind;
    std::string report;
    bool textFails = false;  // the first name cannot be made into text
  } cases[] = {
    {kTwoForHost, SURROGATE, "Sales\r\nOrders\r\n"},
    {kTwoForHost, WEB, "Sales\r\nOrders\r\n"},
    {kOthersOnly, SURROGATE, ""},
    {kOthersOnly, WEB, kIisLine},
    {{}, WEB, kIisLine},
    {{}, SURROGATE, ""},
    {{{{u"Same", HOST}, {u"Same", HOST}}}, SURROGATE, "Same\r\nSame\r\n"},
    // An item without the package interface, or without a name, is passed over or named
    // by nothing; the items after it are still read.
    {{{{u"Hidden", HOST, false}, {u"Shown", HOST}}}, SURROGATE, "Shown\r\n"},
    {{{{u"Lost", HOST, true, true}, {u"Orders", HOST}}}, SURROGATE, "\r\nOrders\r\n"},
    // A process id of 0 is no host's; a name ends at its first NUL.
    {{{{u"Nobody", 0}}}, WEB, kIisLine},
    {{{{std::u16string(u"Cut\0off", 7), HOST}}}, SURROGATE, "Cut\r\n"},
    // A count that is not the list's: none past the list or the count. A count not
    // delivered, or below zero, is none: the list is not taken for an empty one.
    {{kTwoForHost.packages, -1}, WEB, kNotCounted},
    {{kTwoForHost.packages, {}, false}, SURROGATE, kNotCounted},
    {{kTwoForHost.packages, 5}, SURROGATE, "Sales\r\nOrders\r\n"},
    {{kTwoForHost.packages, 2}, SURROGATE, "Sales\r\n"},
#if !defined(_WIN32)  // a name that cannot be made into text is named; the list goes on
    {kTwoForHost, SURROGATE, NotChecked("the name of a package", 0x80070008) + "Orders\r\n", true},
#endif
  };
  CoInitialize(nullptr);
  for (const auto& c : cases) {
    SetFakeTrackerSetup(c.setup);
    DWORD cookie = 0;
    ASSERT_EQ(RegisterClassFactory(CLSID_PackageTracker, NewFakeTrackerFactory(), &cookie), S_OK);
#if !defined(_WIN32)
    if (c.textFails) InjectFault({FaultPoint::WideCharToMultiByte, ERROR_NOT_ENOUGH_MEMORY});
#endif
    ReportCapture capture;
    EXPECT_EQ(PrintHostPackages(HOST, "host.exe", c.kind), !c.report.empty()) << c.report;
    EXPECT_EQ(capture.Text(), c.report);
    CoRevokeClassObject(cookie);
    EXPECT_EQ(LiveFakeObjects, 0);
#if !defined(_WIN32)
    EXPECT_EQ(LiveBstrCount(), 0) << "a package name was not freed";
#endif
  }
  // Without a tracker class nothing is printed, for either kind of host.
  ReportCapture capture;
  EXPECT_FALSE(PrintHostPackages(HOST, "host.exe", WEB));
  EXPECT_FALSE(PrintHostPackages(HOST, "host.exe", SURROGATE));
  EXPECT_EQ(capture.Text(), "");
  CoUninitialize();
}

}  // namespace
