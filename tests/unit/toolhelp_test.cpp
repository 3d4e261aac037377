// Process and module lists and the debug privilege, as this system provides them.
#if !defined(_WIN32)
#include <gtest/gtest.h>
#include <sys/capability.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "hosts/host_scan.h"
#include "platform/files.h"
#include "platform/win32.h"
#include "support/fake_proc_tree.h"

namespace {

struct Walked {
  std::vector<DWORD> ids;
  std::vector<std::string> names;
  DWORD lastError = 0;
};

Walked WalkProcesses(HANDLE snapshot) {
  Walked walked;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    walked.ids.push_back(entry.th32ProcessID);
    walked.names.push_back(entry.szExeFile);
  }
  walked.lastError = GetLastError();
  return walked;
}

// Each module's path, with 0 when OpenModuleFile opened its file, else the error it gave.
std::vector<std::pair<std::string, DWORD>> WalkModules(HANDLE snapshot) {
  std::vector<std::pair<std::string, DWORD>> modules;
  MODULEENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Module32First(snapshot, &entry); more; more = Module32Next(snapshot, &entry)) {
    HANDLE file = OpenModuleFile(snapshot, entry);
    const bool opened = file != INVALID_HANDLE_VALUE;
    modules.emplace_back(entry.szExePath, opened ? 0 : GetLastError());
    EXPECT_TRUE(!opened || (GetFileType(file) == FILE_TYPE_DISK && CloseHandle(file)));
  }
  return modules;
}

TEST(ProcessList, AscendingIdsWithCommNamesAndEndedProcessesLeftOut) {
  FakeProcTree tree;
  tree.AddProcess(300, "dllhost.exe");
  tree.AddProcess(7, "init");
  tree.AddEndedProcess(50);
  tree.AddProcess(41, "with blank\\x");
  tree.WriteFile("ignored", "");
  std::filesystem::create_directory(tree.Folder() + "/self");
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  ASSERT_NE(snapshot, INVALID_HANDLE_VALUE);
  const Walked walked = WalkProcesses(snapshot);
  EXPECT_EQ(walked.ids, (std::vector<DWORD>{7, 41, 300}));
  EXPECT_EQ(walked.names, (std::vector<std::string>{"init", "with blank\\x", "dllhost.exe"}));
  EXPECT_EQ(walked.lastError, static_cast<DWORD>(ERROR_NO_MORE_FILES));
  // The list is the one taken with the snapshot; First starts it again.
  EXPECT_EQ(WalkProcesses(snapshot).ids.size(), 3u);
  EXPECT_TRUE(WalkModules(snapshot).empty());
  EXPECT_TRUE(CloseHandle(snapshot));
  // A name that cannot be read is no ended process: the list fails.
  std::filesystem::create_directories(tree.Folder() + "/60/comm");
  EXPECT_EQ(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

// Whether or not map_files can be followed, only the mapped regular files are listed, the
// program first, and only the mapped file itself is opened: a file moved over it or a link
// put in its place is refused.
TEST(ModuleList, ListsTheMappedRegularFilesAndOpensNothingElse) {
  for (const bool mapFiles : {true, false}) {
    FakeProcTree tree;
    const std::string exe = tree.WriteFile("host", "x");
    const std::string dll = tree.WriteFile("a b.dll", "x");
    const std::string moved = tree.WriteFile("moved.dll", "x");
    const std::string linked = tree.WriteFile("linked.dll", "x");
    const std::string fifo = tree.Folder() + "/pipe.dll";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string tooLong = tree.WriteFile(std::string(250, 'l') + ".dll", "x");
    tree.AddProcess(10, "dllhost.exe",
                    {dll, exe, fifo, "/dev/null", tree.Folder(), moved, linked, tooLong}, mapFiles);
    std::filesystem::remove(tree.Folder() + "/10/exe");
    std::filesystem::create_symlink(exe, tree.Folder() + "/10/exe");
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE32, 10);
    std::filesystem::rename(tree.WriteFile("new.dll", "y"), moved);
    std::filesystem::remove(linked);
    std::filesystem::create_symlink(tree.WriteFile("secret", "x"), linked);
    const DWORD swapped = mapFiles ? ERROR_FILE_INVALID : ERROR_CANT_RESOLVE_FILENAME;
    EXPECT_EQ(WalkModules(snapshot),
              (std::vector<std::pair<std::string, DWORD>>{
                  {exe, 0},
                  {dll, 0},
                  {moved, ERROR_FILE_INVALID},
                  {linked, swapped},
                  {tooLong.substr(0, MAX_PATH - 1), ERROR_FILENAME_EXCED_RANGE}}))
        << mapFiles;
    MODULEENTRY32 unknown{};
    EXPECT_EQ(OpenModuleFile(snapshot, unknown), INVALID_HANDLE_VALUE);
    CloseHandle(snapshot);
  }
}

TEST(ModuleList, MapsAreStreamedAndWhatCannotBeReadFailsTheSnapshot) {
  FakeProcTree tree;
  const std::string dll = tree.WriteFile("a.dll", "x");
  const std::string line = MapsTextFor({dll}).substr(0, MapsTextFor({dll}).find('\n') + 1);
  std::string maps;
  for (int i = 0; i < 3000; ++i) maps += line;  // far more than the buffer holds
  tree.AddProcessWithMaps(10, "dllhost.exe", maps);
  tree.AddProcessWithMaps(11, "dllhost.exe", line + "/" + std::string(70000, 'l') + "\n");
  tree.AddProcess(14, "dllhost.exe");
  std::filesystem::remove(tree.Folder() + "/14/maps");
  std::filesystem::create_directory(tree.Folder() + "/14/maps");
  const struct {
    DWORD processId;
    std::size_t modules;  // or the error of a failed snapshot
    DWORD error;
  } cases[] = {{10, 1, 0},
               {11, 0, ERROR_INSUFFICIENT_BUFFER},
               {14, 0, ERROR_ACCESS_DENIED},
               {15, 0, ERROR_INVALID_PARAMETER}};
  for (const auto& c : cases) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, c.processId);
    EXPECT_EQ(snapshot == INVALID_HANDLE_VALUE ? GetLastError() : 0, c.error) << c.processId;
    if (snapshot == INVALID_HANDLE_VALUE) continue;
    EXPECT_EQ(WalkModules(snapshot),
              (std::vector<std::pair<std::string, DWORD>>(c.modules, {dll, 0})))
        << c.processId;
    CloseHandle(snapshot);
  }
}

TEST(ModuleList, OfThisProcessStartsWithItsProgram) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, 0);
  ASSERT_NE(snapshot, INVALID_HANDLE_VALUE);
  MODULEENTRY32 entry{};
  entry.dwSize = sizeof entry;
  ASSERT_TRUE(Module32First(snapshot, &entry));
  EXPECT_EQ(std::string(entry.szExePath), std::filesystem::read_symlink("/proc/self/exe").string());
  EXPECT_EQ(entry.th32ProcessID, static_cast<DWORD>(::getpid()));
  CloseHandle(snapshot);
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
