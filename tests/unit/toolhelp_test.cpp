// The process and module lists over a made-up process tree, and the files and output they
// reach, as this system provides them.
#if !defined(_WIN32)
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include "platform/files.h"
#include "platform/standard_io.h"
#include "support/fake_proc_tree.h"

namespace {

// "path result" for a module's file opened from its entry: its first bytes, else the error.
std::string Opened(HANDLE snapshot, const MODULEENTRY32& module) {
  HANDLE file = OpenModuleFile(snapshot, module);
  if (file == INVALID_HANDLE_VALUE)
    return module.szExePath + (" " + std::to_string(GetLastError()));
  char bytes[16];
  DWORD got = 0;
  ReadFile(file, bytes, sizeof bytes, &got, nullptr);
  CloseHandle(file);
  return module.szExePath + (" " + std::string(bytes, got));
}

// One walk of a snapshot: "id name" for each process, or each module opened as it comes or,
// late, once the walk has gone on to the next (the last once it has ended). Each walk ends with
// no more files.
std::vector<std::string> Walk(HANDLE snapshot, bool modules, bool late) {
  std::vector<std::string> walked;
  PROCESSENTRY32 process{};
  process.dwSize = sizeof process;
  for (BOOL more = !modules && Process32First(snapshot, &process); more;
       more = Process32Next(snapshot, &process))
    walked.push_back(std::to_string(process.th32ProcessID) + " " + process.szExeFile);
  MODULEENTRY32 module{}, previous{};
  module.dwSize = sizeof module;
  for (BOOL more = modules && Module32First(snapshot, &module); more;
       more = Module32Next(snapshot, &module)) {
    if (late && previous.dwSize != 0) walked.push_back(Opened(snapshot, previous));
    if (!late) walked.push_back(Opened(snapshot, module));
    previous = module;
  }
  EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
  if (late && previous.dwSize != 0) walked.push_back(Opened(snapshot, previous));
  return walked;
}

// What a snapshot lists, as both walks see it (First starts a walk over), or the error that
// taking it failed with.
std::vector<std::string> Listed(DWORD flags, DWORD processId) {
  HANDLE snapshot = CreateToolhelp32Snapshot(flags, processId);
  if (snapshot == INVALID_HANDLE_VALUE) return {"failed " + std::to_string(GetLastError())};
  const bool modules = flags & TH32CS_SNAPMODULE;
  std::vector<std::string> listed = Walk(snapshot, modules, false);
  EXPECT_EQ(Walk(snapshot, modules, true), listed);
  CloseHandle(snapshot);
  return listed;
}

// Without map_files (as for a scan without CAP_SYS_ADMIN) files are found by their paths.
TEST(Toolhelp, ProcessesInIdOrderAndTheirMappedRegularFilesProgramFirst) {
  FakeProcTree tree;
  const std::string exe = tree.WriteFile("host", "exe"), dll = tree.WriteFile("a b.dll", "dll");
  const std::string longName =  // one byte longer than a record holds: shown cut, found whole
      tree.WriteFile(std::string(MAX_PATH - 1 - tree.Folder().size(), 'l'), "x");
  std::string maps = MapsTextFor({dll, exe, "/dev/null", tree.Folder(), longName});
  for (int i = 0; i < 3000; ++i) maps += MapsTextFor({dll});
  maps += "1-2 rw-p 0 00:00 0 [heap]\n";
  tree.AddProcess(300, "dllhost.exe", {exe});
  tree.WriteFile("300/maps", maps);
  tree.AddProcess(7, "init");
  tree.AddEndedProcess(50);
  tree.WriteFile("50/maps", "1-2 r--p 0 0:0 1 /" + std::string(70000, 'l') + "\n");
  tree.AddEndedProcess(51);
  std::filesystem::create_symlink("maps", tree.Folder() + "/51/maps");
  tree.AddEndedProcess(53);  // its threads, too, have no mappings left: it has no modules
  std::filesystem::create_directories(tree.Folder() + "/53/task/53");
  tree.WriteFile("53/maps", "");
  tree.WriteFile("53/task/53/maps", "");
  tree.AddEndedProcess(54);  // maps that open but cannot be read
  std::filesystem::create_directory(tree.Folder() + "/54/maps");
  tree.AddEndedProcess(55);  // its main thread has ended; one lives on, and has a root
  std::filesystem::create_directories(tree.Folder() + "/55/task/56");
  tree.WriteFile("55/comm", "dllhost.exe\n");
  tree.WriteFile("55/maps", "");
  tree.WriteFile("55/task/56/maps", MapsTextFor({dll}));
  std::filesystem::create_directory_symlink("/", tree.Folder() + "/55/task/56/root");
  EXPECT_EQ(Listed(TH32CS_SNAPPROCESS, 0),
            (std::vector<std::string>{"7 init", "55 dllhost.exe", "300 dllhost.exe"}));
  const std::string cut = "//... 206";  // a name cut short is no path to look up
  const std::pair<DWORD, std::vector<std::string>> cases[] = {
      {300, {exe + " exe", dll + " dll", longName.substr(0, MAX_PATH - 6) + "//... x"}},
      {50, {"/" + std::string(MAX_PATH - 7, 'l') + cut}},
      {51, {"failed 1921"}},  // maps that cannot be read
      {52, {"failed 87"}},    // no such process
      {53, {}},
      {54, {"failed 31"}},  // not taken for an ended process
      {55, {dll + " dll"}}};
  for (const auto& [id, listed] : cases) EXPECT_EQ(Listed(TH32CS_SNAPMODULE, id), listed) << id;
  // A name that cannot be read is no ended process: the list fails.
  std::filesystem::create_symlink("comm", tree.Folder() + "/51/comm");
  EXPECT_EQ(Listed(TH32CS_SNAPPROCESS, 0), std::vector<std::string>{"failed 1921"});
  SetProcRoot(tree.Folder() + "/none");  // no process tree at all
  EXPECT_EQ(Listed(TH32CS_SNAPPROCESS, 0), std::vector<std::string>{"failed 87"});
}

// Through map_files every mapped file is reached, whatever its name says, and what it is
// decides: a device or a FIFO is no module. A mapping that holds another file is named.
TEST(Toolhelp, MappedFilesAreReachedThroughTheirMappingsAndJudgedByWhatTheyAre) {
  FakeProcTree tree;
  const std::string exe = tree.WriteFile("host", "exe"), lib = tree.WriteFile("lib", "lib");
  const std::string other = tree.WriteFile("other", "other");
  const std::string fifo = tree.Folder() + "/fifo", gone = tree.WriteFile("gone", "gone");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const int held = ::open(gone.c_str(), O_RDONLY);  // deleted: only its mapping reaches it
  std::filesystem::remove(gone);
  const std::string deleted = "/proc/self/fd/" + std::to_string(held);
  const std::vector<std::string> files = {exe, deleted, "/dev/null", fifo, lib, other};
  tree.AddProcess(400, "dllhost.exe", {exe});
  tree.WriteFile("400/maps", MapsTextFor(files, {"", "/memfd:x (deleted)", "/dev/zero (deleted)",
                                                 "", "/" + std::string(70000, 'l'), "/x"}));
  tree.LinkMappings(400, {exe, deleted, "/dev/null", fifo, lib, lib});
  EXPECT_EQ(
      Listed(TH32CS_SNAPMODULE, 400),
      (std::vector<std::string>{exe + " exe", "/memfd:x gone",
                                "/" + std::string(MAX_PATH - 7, 'l') + "//... lib", "/x 1006"}));
  ::close(held);
}

// Records are checked as Windows checks them, and a walk this layer does not take is refused.
TEST(Toolhelp, RefusesSmallRecordsWalksNotTakenAndEntriesOfNoModule) {
  FakeProcTree tree;
  tree.AddProcess(300, "dllhost.exe", {tree.WriteFile("host", "exe")});
  HANDLE modules = CreateToolhelp32Snapshot(TH32CS_SNAPALL, 300);
  HANDLE processes = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 process{};
  MODULEENTRY32 module{};
  process.dwSize = sizeof process - 1;
  module.dwSize = sizeof module - 1;
  const auto refusal = [](BOOL result) { return result ? ERROR_SUCCESS : GetLastError(); };
  EXPECT_EQ(refusal(Process32First(processes, &process)), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(refusal(Module32Next(modules, &module)), ERROR_INSUFFICIENT_BUFFER);
  process.dwSize = sizeof process;
  module.dwSize = sizeof module;
  EXPECT_EQ(refusal(Process32First(modules, &process)), ERROR_NOT_SUPPORTED);
  EXPECT_EQ(refusal(Module32First(processes, &module)), ERROR_NO_MORE_FILES);
  ASSERT_TRUE(Module32First(modules, &module));
  EXPECT_EQ(module.th32ProcessID, 300u);
  EXPECT_EQ(module.hModule, module.modBaseAddr);
  EXPECT_STREQ(module.szModule, "host");
  ++module.modBaseAddr;
  EXPECT_EQ(OpenModuleFile(modules, module), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  CloseHandle(modules);
  CloseHandle(processes);
}

// A standard output left non-blocking is waited on until a slow reader has taken every byte.
TEST(StandardOutput, EveryByteReachesASlowReaderOfANonBlockingPipe) {
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  ::fcntl(ends[1], F_SETFL, O_NONBLOCK);
  const int saved = ::dup(1);
  ::dup2(ends[1], 1);
  ::close(ends[1]);
  std::string got;
  std::thread reader([&] {
    char chunk[4096];
    for (ssize_t n; (n = ::read(ends[0], chunk, sizeof chunk)) > 0; ::usleep(2000))
      got.append(chunk, static_cast<std::size_t>(n));
  });
  std::string bytes(256 * 1024, 'x');
  for (std::size_t at = 0; at < bytes.size(); at += 7) bytes[at] = static_cast<char>(at);
  const bool written = WriteAllToStandardOutput(bytes.data(), bytes.size()) &&
                       WriteAllToStandardOutput(bytes.data(), 1);
  ::dup2(saved, 1);  // the pipe's last writer closes: the reader sees its end
  ::close(saved);
  reader.join();
  ::close(ends[0]);
  EXPECT_TRUE(written);
  EXPECT_TRUE(got == bytes + bytes[0]);
}

}  // namespace
#endif
