// The running-host scan over a made-up process tree: privilege, host selection, the host
// blocks and the modules in them.
#if !defined(_WIN32)
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "report/system_info.h"
#include "fakes/fake_package_tracker.h"
#include "hosts/host_scan.h"
#include "inspect/dll_check.h"
#include "sample_dll.h"
#include "support/fake_proc_tree.h"
#include "support/report_capture.h"
#include "support/system_text.h"

namespace {

std::string Announcement() {
  return "\r\nScanning IIS, all Medium & High Isolation web applications\r\n"
         "and all running COM+ server packages on " +
         std::string(LocalSystem.MachineName) + "...\r\n\r\n";
}

const std::string PRIVILEGE_ERROR =
    "\r\nError Detected: TOKEN_ADJUST_PRIVILEGES \r\n"
    "Program cannot scan IIS and running packages. \r\n";

std::string NotChecked(const std::string& subject, DWORD error) {
  return "Not checked: " + subject + " (" + ErrorText(error, false) + ")\r\n";
}

std::string Heading(const char* name, unsigned id) {
  return "Scanning " + std::string(name) + " (PID:" + std::to_string(id) + ") ";
}

// What the DLL check prints for each kind of sample file.
std::string FineReport(const std::string& path) {
  return "\r\n" + path + " is fine...\r\n      Retained In Memory   :ON \r\n" +
         "      Unattended Execution :ON \r\n";
}
std::string RecompileReport(const std::string& path) {
  return "      Retained In Memory   :ON \r\n      Unattended Execution :OFF \r\n       " + path +
         " <<< Please Recompile!\r\n";
}

// A fake tree, a privilege that is granted and no tracker unless a test registers one.
class HostScanTest : public testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    GrantPrivilege();
    program_ = tree_.WriteFile("host", MakeSampleDll(SampleKind::NoHeader));
  }
  void TearDown() override {
    if (cookie_ != 0) RevokeFakeTracker(cookie_);
    EXPECT_EQ(LiveTrackerObjects(), 0) << "a tracker, item or factory was not released";
    CoUninitialize();
    RecompileNeeded = false;
  }

  // Whatever the account of the test holds, the adjustment reports success.
  static void GrantPrivilege() {
    InjectFault({FaultPoint::AdjustTokenPrivileges, ERROR_SUCCESS, TRUE, 1000});
  }
  void Register(TrackerSetup setup) {
    SetFakeTrackerSetup(std::move(setup));
    ASSERT_EQ(RegisterFakeTracker(&cookie_), S_OK);
  }
  std::string Scan() {
    ReportCapture capture;
    ScanRunningHosts();
    return capture.Text();
  }

  FakeProcTree tree_;
  std::string program_;
  DWORD cookie_ = 0;
};

TEST_F(HostScanTest, NoHostRunningGivesTheAnnouncementAlone) {
  tree_.AddProcess(1, "init", {program_});
  tree_.AddProcess(2, "dllhost", {program_});
  EXPECT_EQ(Scan(), Announcement());
}

TEST_F(HostScanTest, HostsAreMatchedByWholeNameInAnyCaseAndWalkedInListOrder) {
  const struct {
    unsigned id;
    const char* name;
    bool host;
  } processes[] = {{0, "dllhost.exe", false},
                   {3, "INETINFO.EXE", true},
                   {5, "dllhost.exe.bak", false},
                   {6, "xdllhost.exe", false},
                   {7, "C:\\WINNT\\system32\\dllhost.exe", false},
                   {8, "dllhost.exe\\", false},
                   {9, "DllHost.Exe", true},
                   {40, "inetinfo.exe", true},
                   {300, "dllhost.exe", true}};
  std::string expected = Announcement();
  for (const auto& process : processes) {
    tree_.AddProcess(process.id, process.name, {program_});
    if (process.host) expected += Heading(process.name, process.id) + " System Package \r\n\r\n";
  }
  EXPECT_EQ(Scan(), expected);
}

TEST_F(HostScanTest, ProcessesThatEndDuringTheScanArePassedOver) {
  const std::string fine = tree_.WriteFile("fine.dll", MakeSampleDll(SampleKind::Fine));
  tree_.AddEndedProcess(10);
  tree_.AddProcess(11, "dllhost.exe", {program_, fine});
  tree_.AddProcess(12, "dllhost.exe", {program_, fine});
  tree_.EndProcess(11);  // listed, but gone by the time its modules are asked for
  EXPECT_EQ(Scan(), Announcement() + Heading("dllhost.exe", 11) + " System Package \r\n\r\n" +
                        Heading("dllhost.exe", 12) + " System Package " + FineReport(fine) +
                        "\r\n\r\n");
}

TEST_F(HostScanTest, PackageLinesCompleteTheHeadingAndModulesFollowThem) {
  const std::string recompile =
      tree_.WriteFile("re compile.dll", MakeSampleDll(SampleKind::Recompile));
  const std::string fine = tree_.WriteFile("fine.dll", MakeSampleDll(SampleKind::Fine));
  tree_.AddProcess(20, "dllhost.exe", {program_, recompile, fine});
  tree_.AddProcess(21, "dllhost.exe", {program_, recompile});
  tree_.AddProcess(22, "inetinfo.exe", {program_});
  tree_.AddProcess(23, "inetinfo.exe", {program_});
  Register({{{u"Sales", 20}, {u"Web Pool", 23}, {u"-hidden", 20, false}, {u"Orders", 20}}});
  EXPECT_EQ(Scan(), Announcement() + Heading("dllhost.exe", 20) + "Sales\r\nOrders\r\n" +
                        RecompileReport(recompile) + FineReport(fine) + "\r\n\r\n" +
                        // The open " System Package " line is continued by the check.
                        Heading("dllhost.exe", 21) + " System Package " +
                        RecompileReport(recompile) + "\r\n\r\n" + Heading("inetinfo.exe", 22) +
                        "IIS In-Process Applications\r\n\r\n\r\n" + Heading("inetinfo.exe", 23) +
                        "Web Pool\r\n\r\n\r\n");
  EXPECT_TRUE(RecompileNeeded);
}

TEST_F(HostScanTest, ModulesThatCannotBeOpenedAreNamedAndTheWalkGoesOn) {
  const std::string fine = tree_.WriteFile("fine.dll", MakeSampleDll(SampleKind::Fine));
  const std::string missing = tree_.Folder() + "/gone.dll";
  tree_.AddProcess(30, "dllhost.exe", {program_, missing, fine});
  EXPECT_EQ(Scan(), Announcement() + Heading("dllhost.exe", 30) + " System Package " +
                        "Unable to open: " + missing + "\r\n" +
                        NotChecked(missing, ERROR_FILE_NOT_FOUND) + FineReport(fine) + "\r\n\r\n");
}

// Whatever part of the scan a failure leaves out is named, and the rest goes on.
TEST_F(HostScanTest, FailuresAreNamedWhereTheyHappen) {
  tree_.AddProcess(40, "dllhost.exe", {program_});
  tree_.AddProcess(41, "inetinfo.exe", {program_});
  const std::string hosts = "the running IIS and COM+ processes";
  const std::string first = Heading("dllhost.exe", 40) + " System Package ";
  const std::string second = Heading("inetinfo.exe", 41) + " System Package \r\n\r\n";
  const struct {
    Fault fault;
    std::string report;
  } cases[] = {
      // The privilege is refused: nothing is scanned.
      {{FaultPoint::OpenProcessToken, ERROR_ACCESS_DENIED},
       PRIVILEGE_ERROR + NotChecked(hosts, ERROR_ACCESS_DENIED)},
      {{FaultPoint::LookupPrivilegeValueA, ERROR_NO_SUCH_PRIVILEGE},
       PRIVILEGE_ERROR + NotChecked(hosts, ERROR_NO_SUCH_PRIVILEGE)},
      {{FaultPoint::AdjustTokenPrivileges, ERROR_NOT_ALL_ASSIGNED, TRUE},
       PRIVILEGE_ERROR + NotChecked(hosts, ERROR_NOT_ALL_ASSIGNED)},
      {{FaultPoint::AdjustTokenPrivileges, ERROR_INVALID_HANDLE, FALSE},
       PRIVILEGE_ERROR + NotChecked(hosts, ERROR_INVALID_HANDLE)},
      // The process list cannot be taken, or read to its end; a list that changed while it
      // was taken is taken again.
      {{FaultPoint::CreateToolhelp32Snapshot, ERROR_ACCESS_DENIED},
       Announcement() + NotChecked(hosts, ERROR_ACCESS_DENIED)},
      {{FaultPoint::CreateToolhelp32Snapshot, ERROR_BAD_LENGTH, FALSE, 4},
       Announcement() + first + "\r\n\r\n" + second},
      {{FaultPoint::CreateToolhelp32Snapshot, ERROR_BAD_LENGTH, FALSE, 5},
       Announcement() + NotChecked(hosts, ERROR_BAD_LENGTH)},
      {{FaultPoint::Process32First, ERROR_NO_MORE_FILES}, Announcement()},
      {{FaultPoint::Process32Next, ERROR_READ_FAULT},
       Announcement() + first + "\r\n\r\n" + NotChecked("the rest of " + hosts, ERROR_READ_FAULT)},
      // A host's module list cannot be taken, or read to its end; a host that has ended
      // meanwhile has none.
      {{FaultPoint::CreateToolhelp32Snapshot, ERROR_ACCESS_DENIED, FALSE, 1, 1},
       Announcement() + first +
           NotChecked("the modules of dllhost.exe (PID:40)", ERROR_ACCESS_DENIED) + "\r\n\r\n" +
           second},
      {{FaultPoint::CreateToolhelp32Snapshot, ERROR_INVALID_PARAMETER, FALSE, 2, 1},
       Announcement() + first + "\r\n\r\n" + second},
      // A system that does not know the request for 32-bit modules still lists the others.
      {{FaultPoint::CreateToolhelp32Snapshot, ERROR_INVALID_PARAMETER, FALSE, 1, 1},
       Announcement() + first +
           NotChecked("the 32-bit modules of dllhost.exe (PID:40)", ERROR_INVALID_PARAMETER) +
           "\r\n\r\n" + second},
      {{FaultPoint::Module32First, ERROR_PARTIAL_COPY},
       Announcement() + first +
           NotChecked("the modules of dllhost.exe (PID:40)", ERROR_PARTIAL_COPY) + "\r\n\r\n" +
           second},
      {{FaultPoint::Module32Next, ERROR_READ_FAULT},
       Announcement() + first +
           NotChecked("the other modules of dllhost.exe (PID:40)", ERROR_READ_FAULT) + "\r\n\r\n" +
           second},
  };
  for (const auto& c : cases) {
    ClearFaults();
    const bool refusal = c.fault.point == FaultPoint::OpenProcessToken ||
                         c.fault.point == FaultPoint::LookupPrivilegeValueA ||
                         c.fault.point == FaultPoint::AdjustTokenPrivileges;
    if (!refusal) GrantPrivilege();
    InjectFault(c.fault);
    EXPECT_EQ(Scan(), c.report) << static_cast<int>(c.fault.point) << ' ' << c.fault.lastError;
  }
}

}  // namespace
#endif
