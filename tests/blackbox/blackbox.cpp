#include "blackbox/blackbox.h"

#include <gtest/gtest.h>

ChildResult RunQuentixExe(const std::vector<std::string>& arguments) {
  std::vector<std::string> argv{QUENTIX_EXE_PATH};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return RunChild(QUENTIX_EXE_PATH, argv);
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

std::string CheckedSample(SampleKind kind, const std::string& path) {
  switch (kind) {
    case SampleKind::Fine:
      return Lines({"", path + " is fine...", "      Retained In Memory   :ON ",
                    "      Unattended Execution :ON "});
    case SampleKind::Recompile:
      return Lines({"      Retained In Memory   :ON ", "      Unattended Execution :OFF ",
                    "       " + path + " <<< Please Recompile!"});
    case SampleKind::Version5:
      return Lines({"", path + " is a BR5 file..."});
    case SampleKind::NoHeader:
      break;
  }
  return "";
}

bool IsTimeLine(const std::string& text) {
  const std::string shape = "Aaa Aaa 00 00:00:00 0000\r\n";
  if (text.size() != shape.size()) return false;
  for (std::size_t i = 0; i < shape.size(); ++i) {
    const char c = text[i];
    const bool ok = shape[i] == '0'   ? (c >= '0' && c <= '9')
                    : shape[i] == 'A' ? (c >= 'A' && c <= 'Z')
                    : shape[i] == 'a' ? (c >= 'a' && c <= 'z')
                                      : c == shape[i];
    if (!ok) return false;
  }
  return true;
}

std::string AfterTheTimeLine(const ChildResult& result) {
  const std::size_t start = kBanner.size() + 26;
  EXPECT_EQ(result.out.substr(0, kBanner.size()), kBanner);
  EXPECT_TRUE(IsTimeLine(result.out.substr(kBanner.size(), 26))) << result.out;
  return result.out.size() < start ? "" : result.out.substr(start);
}

// Written out here, not taken from the program, so that a change to either shows.
const std::string kBanner =
    Lines({"", "Quentix Version 1.2.1a", "Ferrowlake Server Tools, December 2026",
           "Written by the Quentix maintainers", ""});
const std::string kSingleDllSummary =
    Lines({"", "", "QUENTIX has finished scanning and no errors were detected"});
const std::string kDefaultSummary = Lines({
    "QUENTIX has finished scanning IIS and all running instances of ",
    "DLLHost.exe and did not find any BR6 DLL's that need to be re-compiled. ",
    "You should now consider running QUENTIX with the '-sc' switch to scan ",
    "the entire COM+ catalog for any BR DLL's configured to run in COM+ server ",
    "packages which may not currently be running.",
});
const std::string kCatalogSummary = Lines({
    "QUENTIX has finished scanning the COM+ catalog, IIS and all ",
    "running instances of DLLHost.exe and did not find any BR6 DLL's ",
    "that need to be re-compiled.",
});
const std::string kRecompileNote = Lines({
    "",
    "",
    "* IMPORTANT NOTE ",
    "QUENTIX has detected one or more Brannic DLL's that have ",
    "not been compiled properly for use in a server process such as IIS or COM+.",
    "Please make note of the DLL's listed above and re-compile these DLL's with  ",
    "'Unattended Execution' and 'Retain in Memory'. ",
    "",
    "For more information on these settings please refer to the ",
    "KB articles listed below:",
    "",
    "QXKB-0101: BR DLLs become unstable in COM+ when 'Retained In Memory' is not set",
    "https://support.example.com/kb/qxkb-0101",
    "",
    "QXKB-0102: Threading issues with BR6 components in server processes",
    "https://support.example.com/kb/qxkb-0102",
});
const std::string kTerminationText = "\r\nabnormal program termination\r\n";

#if !defined(_WIN32)
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <iterator>
#include <stdexcept>

extern char** environ;

SampleHost::SampleHost(std::vector<std::string> arguments) {
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
  const int failed = ::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  if (failed != 0) {
    ::close(out[0]);
    throw std::runtime_error("cannot start " + program);
  }
  std::string line;
  for (char c = 0; ::read(out[0], &c, 1) == 1 && c != '\n';) line += c;
  ready_ = line == "ready";
  ::close(out[0]);
}

SampleHost::~SampleHost() {
  ::kill(pid_, SIGKILL);
  while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
  }
}

std::vector<std::string> SampleHost::InMapOrder(std::vector<std::string> files) const {
  std::ifstream in("/proc/" + std::to_string(pid_) + "/maps");
  const std::string maps((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::sort(files.begin(), files.end(), [&](const std::string& a, const std::string& b) {
    return maps.find(" " + a + "\n") < maps.find(" " + b + "\n");
  });
  return files;
}
#endif
