// Process and module lists and the debug privilege, as this system provides them.
#if !defined(_WIN32)
#include <gtest/gtest.h>
#include <sys/capability.h>
#include <unistd.h>

#include <cstdlib>

#include <filesystem>

#include "hosts/host_scan.h"
#include "platform/files.h"
#include "support/fake_proc_tree.h"

namespace {

// What a snapshot lists: "id name" for each process and "path result" for each module (the
// file type when OpenModuleFile opened its file, else the error), or the error it failed with.
std::vector<std::string> Listed(DWORD flags, DWORD processId) {
  HANDLE snapshot = CreateToolhelp32Snapshot(flags, processId);
  if (snapshot == INVALID_HANDLE_VALUE) return {"failed " + std::to_string(GetLastError())};
  std::vector<std::string> listed;
  PROCESSENTRY32 process{};
  for (BOOL more = Process32First(snapshot, &process); more;
       more = Process32Next(snapshot, &process))
    listed.push_back(std::to_string(process.th32ProcessID) + " " + process.szExeFile);
  MODULEENTRY32 module{};
  for (BOOL more = Module32First(snapshot, &module); more; more = Module32Next(snapshot, &module)) {
    HANDLE file = OpenModuleFile(snapshot, module);
    const bool opened = file != INVALID_HANDLE_VALUE;
    listed.push_back(module.szExePath +
                     (" " + std::to_string(opened ? GetFileType(file) : GetLastError())));
    if (opened) CloseHandle(file);
  }
  CloseHandle(snapshot);
  return listed;
}

TEST(Toolhelp, ProcessesInIdOrderAndTheirMappedRegularFilesProgramFirst) {
  FakeProcTree tree;
  const std::string exe = tree.WriteFile("host", "x"), dll = tree.WriteFile("a b.dll", "x");
  const std::string longName =  // one byte longer than a record holds
      tree.WriteFile(std::string(MAX_PATH - 1 - tree.Folder().size(), 'l'), "x");
  std::string maps = MapsTextFor({dll, exe, "/dev/null", tree.Folder(), longName});
  for (int i = 0; i < 3000; ++i) maps += MapsTextFor({dll});  // far more than the buffer holds
  tree.AddProcess(300, "dllhost.exe", {exe});
  tree.WriteFile("300/maps", maps);
  tree.AddProcess(7, "init");
  tree.AddEndedProcess(50);
  tree.WriteFile("50/maps", "1-2 r--p 0 0:0 1 /" + std::string(70000, 'l') + "\n");
  tree.AddEndedProcess(51);
  std::filesystem::create_symlink("maps", tree.Folder() + "/51/maps");
  EXPECT_EQ(Listed(TH32CS_SNAPPROCESS, 0), (std::vector<std::string>{"7 init", "300 dllhost.exe"}));
  const std::pair<DWORD, std::vector<std::string>> cases[] = {
      {300, {exe + " 1", dll + " 1", longName.substr(0, MAX_PATH - 1) + " 206"}},
      {50, {"failed 122"}},   // a line longer than the buffer
      {51, {"failed 1921"}},  // maps that cannot be read
      {52, {"failed 87"}}};   // no such process
  for (const auto& [id, listed] : cases) EXPECT_EQ(Listed(TH32CS_SNAPALL, id), listed) << id;
  // A name that cannot be read is no ended process: the list fails.
  std::filesystem::create_symlink("comm", tree.Folder() + "/51/comm");
  EXPECT_EQ(Listed(TH32CS_SNAPPROCESS, 0), std::vector<std::string>{"failed 1921"});
}

// Runs in a child, so that the capability sets changed here stay there: the debug privilege
// is granted exactly when CAP_SYS_PTRACE is permitted, and it can be given up again. Exits 0
// when every check held, else the number of the first that failed.
void AdjustDebugPrivilege(bool permitted) {
  cap_t caps = cap_get_proc();
  const cap_value_t ptrace[] = {CAP_SYS_PTRACE};
  cap_set_flag(caps, CAP_EFFECTIVE, 1, ptrace, CAP_CLEAR);
  if (!permitted) cap_set_flag(caps, CAP_PERMITTED, 1, ptrace, CAP_CLEAR);
  if (cap_set_proc(caps) != 0) std::exit(10);
  cap_free(caps);
  const auto effective = [] {
    cap_t now = cap_get_proc();
    cap_flag_value_t value = CAP_CLEAR;
    cap_get_flag(now, CAP_SYS_PTRACE, CAP_EFFECTIVE, &value);
    cap_free(now);
    return value == CAP_SET;
  };
  if (!SetDebugPrivilege(true) == permitted || effective() != permitted) std::exit(1);
  if (!permitted && GetLastError() != ERROR_NOT_ALL_ASSIGNED) std::exit(2);
  if (!SetDebugPrivilege(false) || effective()) std::exit(3);
  std::exit(0);
}

TEST(Token, GrantsTheDebugPrivilegeExactlyWhenPtraceIsPermitted) {
  LUID luid{};
  EXPECT_FALSE(LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &luid));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_SUCH_PRIVILEGE));
  HANDLE token = nullptr;
  EXPECT_FALSE(OpenProcessToken(reinterpret_cast<HANDLE>(1234), TOKEN_ADJUST_PRIVILEGES, &token));
  EXPECT_EXIT(AdjustDebugPrivilege(false), testing::ExitedWithCode(0), "");
  if (::geteuid() != 0) GTEST_SKIP() << "holding the capability needs root";
  EXPECT_EXIT(AdjustDebugPrivilege(true), testing::ExitedWithCode(0), "");
}

}  // namespace
#endif
