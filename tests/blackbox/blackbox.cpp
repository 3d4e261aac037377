#include "blackbox/blackbox.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace {

constexpr struct {
  const char* name;
  SampleKind kind;
} kSamples[] = {{"fine.dll", SampleKind::Fine},
                {"recompile.dll", SampleKind::Recompile},
                {"version5.dll", SampleKind::Version5},
                {"plain.dll", SampleKind::NoHeader}};

}  // namespace

#if !defined(_WIN32)
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

extern char** environ;

bool MayLookIntoOtherProcesses() {
  return ::geteuid() == 0;
}

void WriteSamples(const TempFolder& folder) {
  for (const auto& sample : kSamples) folder.Write(sample.name, MakeSampleDll(sample.kind));
}

namespace {

// A stand-in host process (tools/sample_host), killed when the test is done with it.
class LinuxHost final : public SampleHostProcess {
 public:
  explicit LinuxHost(std::vector<std::string> arguments) {
    const std::string program = std::string(QUENTIX_TEST_TOOLS_DIR) + "/../tools/sample_host";
    arguments.insert(arguments.begin(), program);
    int out[2];
    if (::pipe(out) != 0) throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    const int failed =
        ::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    std::string line;
    for (char c = 0; failed == 0 && ::read(out[0], &c, 1) == 1 && c != '\n';) line += c;
    ::close(out[0]);
    if (line != "ready") throw std::runtime_error("the sample host did not start");
  }
  LinuxHost(const LinuxHost&) = delete;
  LinuxHost& operator=(const LinuxHost&) = delete;
  ~LinuxHost() override {
    ::kill(pid_, SIGKILL);
    while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
    }
  }
  DWORD Id() const override { return static_cast<DWORD>(pid_); }

 private:
  pid_t pid_ = 0;
};

}  // namespace

std::unique_ptr<SampleHostProcess> StartSampleHost(const HostSetup& setup,
                                                   const TempFolder& folder) {
  std::vector<std::string> arguments{"--name", setup.exeName};
  for (const std::string& file : setup.files) arguments.push_back((folder.Path() / file).string());
  arguments.insert(arguments.end(), setup.steps.begin(), setup.steps.end());
  return std::make_unique<LinuxHost>(std::move(arguments));
}

ServedFakes::ServedFakes(std::vector<std::string>& argv, const char* catalog,
                         const std::string& folder, const std::string& packages) {
  const std::string harness = std::string(QUENTIX_TEST_TOOLS_DIR) + "/tools/quentix_with_fakes";
  argv.front() = harness;
  argv.insert(argv.begin() + 1, {catalog != nullptr ? catalog : "-", folder, packages});
}

ServedFakes::~ServedFakes() = default;

#endif

#if defined(_WIN32)
#include <cstdio>

bool MayLookIntoOtherProcesses() {
  return true;
}

namespace {

std::string ReadWholeFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("cannot read " + path);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// A real DLL that the check judges like the sample of the given kind: the sample's first
// bytes written over the room that the carrier DLL keeps for them.
std::string LoadableSample(SampleKind kind) {
  static const std::string carrier = ReadWholeFile(QUENTIX_SAMPLE_CARRIER_PATH);
  static const std::size_t room = carrier.find("QUENTIX SAMPLE ROOM");
  constexpr std::size_t kRoomSize = 8192;
  if (room == std::string::npos || room + kRoomSize > 64000)
    throw std::runtime_error("the carrier DLL has no room within the bytes the check reads");
  std::string bytes = carrier;
  bytes.replace(room, kRoomSize, MakeSampleDll(kind).substr(0, kRoomSize));
  return bytes;
}

// A stand-in server host (tests/wine/sample_host.cpp) that has loaded the given DLLs.
class WineHost final : public SampleHostProcess {
 public:
  WineHost(const std::string& exeName, const std::vector<std::string>& dlls, bool suspended) {
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
    const bool started =
        CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                       suspended ? CREATE_SUSPENDED : 0, nullptr, nullptr, &startup, &process_);
    CloseHandle(writeEnd);
    if (started && suspended) {
      CloseHandle(readEnd);
      CloseHandle(process_.hThread);
      return;
    }
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
  ~WineHost() override { End(); }

  DWORD Id() const override { return process_.dwProcessId; }

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

// A data file of the test bed's COM server: while it exists, the class whose registration
// names it is available and serves what it says.
void Serve(const char* path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

}  // namespace

void WriteSamples(const TempFolder& folder) {
  for (const auto& sample : kSamples) folder.Write(sample.name, LoadableSample(sample.kind));
}

std::unique_ptr<SampleHostProcess> StartSampleHost(const HostSetup& setup,
                                                   const TempFolder& folder) {
  std::vector<std::string> dlls;
  for (const std::string& file : setup.files) dlls.push_back((folder.Path() / file).string());
  return std::make_unique<WineHost>(setup.exeName, dlls, setup.suspended);
}

ServedFakes::ServedFakes(std::vector<std::string>&, const char* catalog, const std::string& folder,
                         const std::string& packages) {
  if (catalog != nullptr) Serve(QUENTIX_FAKE_CATALOG_DATA, catalog + ("\n" + folder));
  if (!packages.empty()) Serve(QUENTIX_FAKE_TRACKER_DATA, packages);
}

ServedFakes::~ServedFakes() {
  std::remove(QUENTIX_FAKE_CATALOG_DATA);
  std::remove(QUENTIX_FAKE_TRACKER_DATA);
}
#endif
