// The running-host scan over a made-up process tree: privilege, host selection, the host
// blocks and the modules in them, and what a failing call leaves out. What each case reports
// stands in tests/data/walks/hosts.txt.
#if !defined(_WIN32)
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "hosts/host_scan.h"
#include "report/run_outcome.h"
#include "sample_dll.h"
#include "support/expected_text.h"
#include "support/fake_proc_tree.h"
#include "support/report_capture.h"

namespace {

// A fake tree, a privilege that is granted, and no package tracker.
class HostScanTest : public testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    GrantPrivilege();
    program_ = tree_.WriteFile("host", MakeSampleDll(SampleKind::NoHeader));
    fine_ = tree_.WriteFile("fine.dll", MakeSampleDll(SampleKind::Fine));
  }
  void TearDown() override {
    CoUninitialize();
    ThisRun() = RunOutcome{};
  }

  // Whatever the account of the test holds, the adjustment reports success.
  static void GrantPrivilege() {
    InjectFault({FaultPoint::AdjustTokenPrivileges, ERROR_SUCCESS, TRUE, 1000});
  }
  std::string Scan() {
    ReportCapture capture;
    ScanRunningHosts();
    return capture.Text();
  }
  std::string Expected(const char* section) const {
    const std::string files = std::filesystem::path(fine_).parent_path().string();
    return ExpectedText("walks/hosts.txt", section, {{"{FILES}", files}});
  }

  FakeProcTree tree_;
  std::string program_, fine_;
};

TEST_F(HostScanTest, PicksTheHostsByWholeNameInAnyCaseInListOrder) {
  tree_.AddProcess(1, "init", {program_});
  tree_.AddProcess(2, "dllhost", {program_});
  EXPECT_EQ(Scan(), Expected("no host"));
  for (const auto& [id, name] : {std::pair{0u, "dllhost.exe"},
                                 {3u, "INETINFO.EXE"},
                                 {5u, "dllhost.exe.bak"},
                                 {6u, "xdllhost.exe"},
                                 {7u, "C:\\WINNT\\system32\\dllhost.exe"},
                                 {8u, "dllhost.exe\\"},
                                 {9u, "DllHost.Exe"},
                                 {40u, "inetinfo.exe"},
                                 {300u, "dllhost.exe"}})
    tree_.AddProcess(id, name, {program_});
  EXPECT_EQ(Scan(), Expected("selection"));
}

TEST_F(HostScanTest, NamesModulesAndPassesOverEndedProcesses) {
  tree_.AddEndedProcess(10);
  tree_.AddProcess(11, "dllhost.exe", {program_, fine_});
  tree_.AddProcess(12, "dllhost.exe", {program_, fine_});
  tree_.EndProcess(11);  // listed, but gone by the time its modules are asked for
  // ... and from the list taken then, which the fault ends at once.
  InjectFault({FaultPoint::Process32First, ERROR_NO_MORE_FILES, FALSE, 1, 1});
  EXPECT_EQ(Scan(), Expected("ended"));
  // Still listed: the module list's error alone does not say that the process has ended.
  EXPECT_EQ(Scan(), Expected("ended but listed"));

  FakeProcTree again;
  const std::string missing = std::filesystem::path(fine_).parent_path() / "gone.dll";
  again.AddProcess(30, "dllhost.exe", {program_, missing, fine_});
  EXPECT_EQ(Scan(), Expected("unopenable"));
}

// Whatever part of the scan a failure leaves out is named, and the rest goes on.
TEST_F(HostScanTest, NamesWhatAFailingCallLeavesOut) {
  tree_.AddProcess(40, "dllhost.exe", {program_});
  tree_.AddProcess(41, "inetinfo.exe", {program_});
  const struct {
    const char* name;
    Fault fault;
  } cases[] = {
      // The privilege is refused: nothing is scanned.
      {"OpenProcessToken 5", {FaultPoint::OpenProcessToken, ERROR_ACCESS_DENIED}},
      {"LookupPrivilegeValueA 1313", {FaultPoint::LookupPrivilegeValueA, ERROR_NO_SUCH_PRIVILEGE}},
      {"AdjustTokenPrivileges 1300",
       {FaultPoint::AdjustTokenPrivileges, ERROR_NOT_ALL_ASSIGNED, TRUE}},
      {"AdjustTokenPrivileges 6", {FaultPoint::AdjustTokenPrivileges, ERROR_INVALID_HANDLE, FALSE}},
      // The process list cannot be taken, or read to its end; a list that changed while it
      // was taken is taken again.
      {"process snapshot 5", {FaultPoint::CreateToolhelp32Snapshot, ERROR_ACCESS_DENIED}},
      {"process snapshot 24 four times",
       {FaultPoint::CreateToolhelp32Snapshot, ERROR_BAD_LENGTH, FALSE, 4}},
      {"process snapshot 24 five times",
       {FaultPoint::CreateToolhelp32Snapshot, ERROR_BAD_LENGTH, FALSE, 5}},
      {"Process32First 18", {FaultPoint::Process32First, ERROR_NO_MORE_FILES}},
      {"Process32Next 30", {FaultPoint::Process32Next, ERROR_READ_FAULT}},
      // A host's module list cannot be taken, or read to its end, also with the error of a
      // process that has ended while the host is still listed; a system that does not know the
      // request for 32-bit modules still lists the others.
      {"module snapshot 5",
       {FaultPoint::CreateToolhelp32Snapshot, ERROR_ACCESS_DENIED, FALSE, 1, 1}},
      {"module snapshot 87 twice",
       {FaultPoint::CreateToolhelp32Snapshot, ERROR_INVALID_PARAMETER, FALSE, 2, 1}},
      {"module snapshot and process list 87",
       {FaultPoint::CreateToolhelp32Snapshot, ERROR_INVALID_PARAMETER, FALSE, 3, 1}},
      {"module snapshot 87 once",
       {FaultPoint::CreateToolhelp32Snapshot, ERROR_INVALID_PARAMETER, FALSE, 1, 1}},
      {"Module32First 299", {FaultPoint::Module32First, ERROR_PARTIAL_COPY}},
      {"Module32Next 30", {FaultPoint::Module32Next, ERROR_READ_FAULT}},
  };
  for (const auto& c : cases) {
    ClearFaults();
    const bool refusal = c.fault.point == FaultPoint::OpenProcessToken ||
                         c.fault.point == FaultPoint::LookupPrivilegeValueA ||
                         c.fault.point == FaultPoint::AdjustTokenPrivileges;
    if (!refusal) GrantPrivilege();
    InjectFault(c.fault);
    EXPECT_EQ(Scan(), Expected(c.name)) << c.name;
  }
}

}  // namespace
#endif
