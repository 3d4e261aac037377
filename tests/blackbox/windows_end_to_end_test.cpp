// quentix.exe end to end in the Wine test bed (tests/wine): real host processes holding real
// DLLs, and the catalog and package tracker served by the test bed's in-process COM server,
// created by quentix.exe through CoCreateInstance like the real ones. The reports are
// compared byte for byte with what the Linux build prints for the same situation.
#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "blackbox/blackbox.h"
#include "sample_dll.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

std::string MachineName() {
  char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof name;
  return GetComputerNameA(name, &size) ? name : "";
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("cannot read " + path);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// A data file of the test bed's COM server: while it exists, the class whose registration
// names it is available and serves what it says.
class ServedData {
 public:
  ServedData(const char* path, const std::string& text) : path_(path) {
    std::ofstream(path_, std::ios::binary | std::ios::trunc) << text;
  }
  ServedData(const ServedData&) = delete;
  ServedData& operator=(const ServedData&) = delete;
  ~ServedData() { std::remove(path_.c_str()); }

 private:
  std::string path_;
};

// A text in the quotes of the fake catalog's data.
std::string Quoted(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) quoted += c == '\\' || c == '"' ? std::string{'\\', c} : std::string{c};
  return quoted + "\"";
}

// A real DLL that the check judges like the sample of the given kind: the sample's first
// bytes written over the room that the carrier DLL keeps for them.
std::string WriteLoadableSample(const TempFolder& folder, const std::string& name,
                                SampleKind kind) {
  static const std::string carrier = ReadWholeFile(QUENTIX_SAMPLE_CARRIER_PATH);
  static const std::size_t room = carrier.find("QUENTIX SAMPLE ROOM");
  constexpr std::size_t kRoomSize = 8192;
  const std::string sample = MakeSampleDll(kind).substr(0, kRoomSize);
  if (room == std::string::npos || room + kRoomSize > 64000)
    throw std::runtime_error("the carrier DLL has no room within the bytes the check reads");
  std::string bytes = carrier;
  bytes.replace(room, kRoomSize, sample);
  return folder.Write(name, bytes);
}

// A stand-in server host (tests/wine/sample_host.cpp) that has loaded the given DLLs; it is
// ended when the test is done with it.
class HostProcess {
 public:
  HostProcess(const std::string& exeName, const std::vector<std::string>& dlls) {
    const std::string program = std::string(QUENTIX_SAMPLE_HOSTS_DIR) + "/" + exeName;
    std::string commandLine = "\"" + program + "\"";
    for (const std::string& dll : dlls) commandLine += " \"" + dll + "\"";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) throw std::runtime_error("no pipe");
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    const bool started = CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                        0, nullptr, nullptr, &startup, &process_);
    CloseHandle(writeEnd);
    std::string line;
    char c = 0;
    DWORD got = 0;
    while (started && c != '\n' && line.size() < 16 && ReadFile(readEnd, &c, 1, &got, nullptr) &&
           got == 1)
      line += c;
    CloseHandle(readEnd);
    if (!started) throw std::runtime_error("cannot start " + program);
    CloseHandle(process_.hThread);
    // Its standard output is in text mode: the line ends in CR LF.
    if (line != "ready\r\n") {
      End();
      throw std::runtime_error(exeName + " did not load its DLLs");
    }
  }
  HostProcess(const HostProcess&) = delete;
  HostProcess& operator=(const HostProcess&) = delete;
  ~HostProcess() { End(); }

  DWORD Id() const { return process_.dwProcessId; }

 private:
  void End() {
    if (process_.hProcess == nullptr) return;
    TerminateProcess(process_.hProcess, 0);
    WaitForSingleObject(process_.hProcess, INFINITE);
    CloseHandle(process_.hProcess);
    process_.hProcess = nullptr;
  }
  PROCESS_INFORMATION process_{};
};

std::string CatalogAnnouncement() {
  return Lines({"", "Opening the COM+ catalog on " + MachineName() + "...", ""});
}

std::string HostScanAnnouncement() {
  return Lines({"", "Scanning IIS, all Medium & High Isolation web applications",
                "and all running COM+ server packages on " + MachineName() + "...", ""});
}

std::string Heading(const char* exeName, DWORD processId) {
  return std::string("Scanning ") + exeName + " (PID:" + std::to_string(processId) + ") ";
}

TEST(WineTestBed, WithoutServedDataNeitherClassExistsAndNoHostRuns) {
  const ChildResult result = RunQuentixExe({"/sc"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(AfterTheTimeLine(result),
            CatalogAnnouncement() + HostScanAnnouncement() + kCatalogSummary);
}

// Each host under its packages, or under the web server's line, then its Brannic modules in
// load order; the system's own modules print nothing.
TEST(DefaultModeUnderWine, ReportsEachHostWithItsPackagesAndItsModules) {
  TempFolder folder;
  const std::string fine = WriteLoadableSample(folder, "fine.dll", SampleKind::Fine);
  const std::string recompile = WriteLoadableSample(folder, "recompile.dll", SampleKind::Recompile);
  const std::string version5 = WriteLoadableSample(folder, "version5.dll", SampleKind::Version5);
  const std::string plain = WriteLoadableSample(folder, "plain.dll", SampleKind::NoHeader);
  HostProcess web("inetinfo.exe", {fine});
  HostProcess surrogate("dllhost.exe", {recompile, version5, plain});
  HostProcess idle("dllhost.exe", {});
  const std::string packages = std::to_string(surrogate.Id()) + " Sales\n" +
                               std::to_string(surrogate.Id()) + " Orders\n" + "-" +
                               std::to_string(surrogate.Id()) + " Hidden\n" +
                               std::to_string(surrogate.Id() + 4000) + " Elsewhere\n";
  ServedData tracker(QUENTIX_FAKE_TRACKER_DATA, packages);

  const ChildResult result = RunQuentixExe({});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(AfterTheTimeLine(result),
            HostScanAnnouncement() + Heading("inetinfo.exe", web.Id()) +
                Lines({"IIS In-Process Applications"}) + CheckedSample(SampleKind::Fine, fine) +
                Lines({"", ""}) + Heading("dllhost.exe", surrogate.Id()) +
                Lines({"Sales", "Orders"}) + CheckedSample(SampleKind::Recompile, recompile) +
                CheckedSample(SampleKind::Version5, version5) + Lines({"", ""}) +
                Heading("dllhost.exe", idle.Id()) + " System Package " + Lines({"", ""}) +
                kRecompileNote);
}

// Both registered classes in one run: the catalog block, every application with its own
// components, then the host scan naming the package that runs in the host.
TEST(CatalogModeUnderWine, ReportsTheCatalogThenTheHosts) {
  TempFolder folder;
  const std::string fine = folder.Write("fine.dll", MakeSampleDll(SampleKind::Fine));
  const std::string recompile = folder.Write("old.dll", MakeSampleDll(SampleKind::Recompile));
  const std::string version5 = folder.Write("v5.dll", MakeSampleDll(SampleKind::Version5));
  const std::string missing = (folder.Path() / "gone.dll").string();
  const std::string hosted = WriteLoadableSample(folder, "hosted.dll", SampleKind::Fine);
  ServedData catalog(QUENTIX_FAKE_CATALOG_DATA,
                     "application \"Web Shop\"\n"
                     "component \"Shop.Cart\" dll " +
                         Quoted(fine) + "\n" +
                         "application \"Web Shop\"\n"
                         "component \"Shop.Legacy\" dll " +
                         Quoted(recompile) + "\n" + "component \"Shop.Report\" dll " +
                         Quoted(version5) + "\n" +
                         "application \"Idle\"\n"
                         "application \"Batch\"\n"
                         "component \"Batch.Gone\" dll " +
                         Quoted(missing) + "\n");
  HostProcess surrogate("dllhost.exe", {hosted});
  ServedData tracker(QUENTIX_FAKE_TRACKER_DATA, std::to_string(surrogate.Id()) + " Web Shop\n");

  const ChildResult result = RunQuentixExe({"/SC"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(
      AfterTheTimeLine(result),
      CatalogAnnouncement() + Lines({"Scanning Web Shop (1 component)", "   ProgID: Shop.Cart"}) +
          CheckedSample(SampleKind::Fine, fine) +
          Lines({"", "Scanning Web Shop (2 components)", "   ProgID: Shop.Legacy"}) +
          CheckedSample(SampleKind::Recompile, recompile) + Lines({"   ProgID: Shop.Report"}) +
          CheckedSample(SampleKind::Version5, version5) +
          Lines({"", "Scanning Idle (0 components)", "", "Scanning Batch (1 component)",
                 "   ProgID: Batch.Gone", "Unable to open: " + missing, ""}) +
          HostScanAnnouncement() + Heading("dllhost.exe", surrogate.Id()) + Lines({"Web Shop"}) +
          CheckedSample(SampleKind::Fine, hosted) + Lines({"", ""}) + kRecompileNote);
}

// A "DLL" value that has no text ends the run from inside the COM text helpers: what was
// flushed stays, standard error gets the termination text, the status is 3.
TEST(CatalogModeUnderWine, UnconvertibleDllValueEndsTheRunAsOnLinux) {
  ServedData catalog(QUENTIX_FAKE_CATALOG_DATA,
                     "application \"Batch\"\n"
                     "component \"Batch.Odd\" dll null\n"
                     "component \"Batch.Next\" dll \"\"\n");
  const ChildResult result = RunQuentixExe({"/sc"});
  EXPECT_EQ(result.status, 3);
  EXPECT_EQ(result.err, kTerminationText);
  EXPECT_EQ(
      AfterTheTimeLine(result),
      CatalogAnnouncement() + Lines({"Scanning Batch (2 components)", "   ProgID: Batch.Odd"}));
}

}  // namespace
#endif
