// The process and module lists over a made-up process tree, and the files and output they
// reach, as this system provides them.
#if !defined(_WIN32)
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include "platform/files.h"
#include "platform/standard_io.h"
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
  tree.AddEndedProcess(53);  // its threads, too, have no mappings left: it has no modules
  std::filesystem::create_directories(tree.Folder() + "/53/task/53");
  tree.WriteFile("53/maps", "");
  tree.WriteFile("53/task/53/maps", "");
  tree.AddEndedProcess(54);  // maps that open but cannot be read
  std::filesystem::create_directory(tree.Folder() + "/54/maps");
  EXPECT_EQ(Listed(TH32CS_SNAPPROCESS, 0), (std::vector<std::string>{"7 init", "300 dllhost.exe"}));
  const std::pair<DWORD, std::vector<std::string>> cases[] = {
      {300, {exe + " 1", dll + " 1", longName.substr(0, MAX_PATH - 1) + " 206"}},
      {50, {"failed 122"}},   // a line longer than the buffer
      {51, {"failed 1921"}},  // maps that cannot be read
      {52, {"failed 87"}},    // no such process
      {53, {}},
      {54, {"failed 31"}}};  // not taken for an ended process
  for (const auto& [id, listed] : cases) EXPECT_EQ(Listed(TH32CS_SNAPALL, id), listed) << id;
  // A name that cannot be read is no ended process: the list fails.
  std::filesystem::create_symlink("comm", tree.Folder() + "/51/comm");
  EXPECT_EQ(Listed(TH32CS_SNAPPROCESS, 0), std::vector<std::string>{"failed 1921"});
  SetProcRoot(tree.Folder() + "/none");  // no process tree at all
  EXPECT_EQ(Listed(TH32CS_SNAPPROCESS, 0), std::vector<std::string>{"failed 87"});
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
