// The host scan, run as root, against sample hosts whose mapped files a local user changed
// after they were mapped: the report judges the file each host has mapped, or names it as not
// checked, and never what a path names by now; what a user put in place is never opened.
// Each case is scanned as root, and with CAP_SYS_PTRACE but without the capabilities that
// map_files links need.
#if !defined(_WIN32)
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "blackbox/blackbox.h"
#include "support/temp_folder.h"

namespace {

std::string Fine(const std::string& path) {
  return CheckedSample(SampleKind::Fine, path);
}

std::string Recompile(const std::string& path) {
  return CheckedSample(SampleKind::Recompile, path);
}

// A '*' stands for the rest of its line: here the system's text for the error.
std::string NotOpened(const std::string& path, const std::string& error) {
  return "Unable to open: " + path + "\r\nNot checked: " + path + " (error " + error + ": *\r\n";
}

bool Matches(std::string_view text, std::string_view pattern) {
  for (std::size_t star; (star = pattern.find('*')) != std::string_view::npos;) {
    if (text.substr(0, star) != pattern.substr(0, star)) return false;
    text.remove_prefix(star);
    text.remove_prefix(std::min(text.find("\r\n"), text.size()));
    pattern.remove_prefix(star + 1);
  }
  return text == pattern;
}

// The host's block: its heading and what its modules gave, up to the blank lines after it.
// Within a block a blank line only ever comes before a path.
std::string BlockOf(const std::string& report, const std::string& heading) {
  const std::size_t start = report.find(heading);
  if (start == std::string::npos) return "";
  std::size_t end = start;
  do {
    end = report.find("\r\n\r\n", end + 1);
  } while (end != std::string::npos && report.compare(end + 4, 1, "/") == 0);
  return report.substr(start, end == std::string::npos ? end : end + 2 - start);
}

// "$D" stands for the test's folder.
std::string InFolder(std::string text, const std::string& folder) {
  for (std::size_t at; (at = text.find("$D")) != std::string::npos;) text.replace(at, 2, folder);
  return text;
}

struct Case {
  const char* name;
  std::vector<std::string> host;  // the sample host's steps
  const char* change;             // a shell command run in the folder once the host is ready
  std::string asRoot;  // what the modules give after the heading; "" for no heading at all
  std::optional<std::string> ptraceOnly = std::nullopt;  // where it differs
  bool fewDescriptors = false;
};

void PrintTo(const Case& c, std::ostream* out) {
  *out << c.name;
}

const std::vector<std::string> MAPS_FINE_LIB = {"--copy", "$D/fine.dll", "$D/lib.dll",
                                                "$D/lib.dll"};
const std::vector<std::string> MAPS_RECOMPILE_LIB = {"--copy", "$D/recompile.dll", "$D/lib.dll",
                                                     "$D/lib.dll"};

const Case CASES[] = {
    {"LinkToARootOnlyFile", MAPS_FINE_LIB, "rm lib.dll && ln -s secret.dll lib.dll",
     Fine("$D/lib.dll"), NotOpened("$D/lib.dll", "1921")},
    {"LinkToAFifo", MAPS_FINE_LIB, "rm lib.dll && ln -s fifo lib.dll", Fine("$D/lib.dll"),
     NotOpened("$D/lib.dll", "1921")},
    {"UpgradedInPlace", MAPS_RECOMPILE_LIB, "cp fine.dll new.dll && mv new.dll lib.dll",
     Recompile("$D/lib.dll"), NotOpened("$D/lib.dll", "1006")},
    {"NamedLikeADeletedFile",
     {"--copy", "$D/recompile.dll", "$D/lib.dll (deleted)", "--copy", "$D/fine.dll", "$D/lib.dll",
      "$D/lib.dll (deleted)"},
     "true",
     Recompile("$D/lib.dll (deleted)")},
    {"InAMountNamespaceOfItsOwn",
     {"--copy", "$D/fine.dll", "$D/ns/lib.dll", "--private-tmpfs", "$D/ns", "--copy",
      "$D/recompile.dll", "$D/ns/lib.dll", "$D/ns/lib.dll"},
     "true",
     Recompile("$D/ns/lib.dll")},
    {"NewlineInThePath",
     {"--copy", "$D/fine.dll", "$D/a\nb.dll", "$D/a\nb.dll"},
     "true",
     Fine("$D/a\\x0Ab.dll")},
    {"CarriageReturnInThePath",
     {"--copy", "$D/recompile.dll", "$D/c\rd.dll", "$D/c\rd.dll"},
     "true",
     Recompile("$D/c\\x0Dd.dll")},
    {"MainThreadEnded",
     {"--copy", "$D/recompile.dll", "$D/lib.dll", "$D/lib.dll", "--exit-main-thread"},
     "true",
     Recompile("$D/lib.dll")},
    {"TooFewFileDescriptors", MAPS_RECOMPILE_LIB, "true", "", std::nullopt, true},
};

class HostSafety : public testing::TestWithParam<Case> {};

TEST_P(HostSafety, JudgesTheMappedFileOrNamesItAsNotChecked) {
  if (::geteuid() != 0) GTEST_SKIP() << "looking into other processes needs root";
  const Case& c = GetParam();
#if defined(__SANITIZE_ADDRESS__)
  // The sanitizers' runtime needs descriptors of its own before the program runs.
  if (c.fewDescriptors) GTEST_SKIP() << "not under the sanitizers";
#endif
  TempFolder folder;
  const std::string path = folder.Path().string();
  folder.Write("fine.dll", MakeSampleDll(SampleKind::Fine));
  folder.Write("recompile.dll", MakeSampleDll(SampleKind::Recompile));
  const std::string secret = folder.Write("secret.dll", MakeSampleDll(SampleKind::Recompile));
  const std::string fifo = path + "/fifo";
  ASSERT_EQ(::chmod(secret.c_str(), 0600) | ::mkfifo(fifo.c_str(), 0600), 0);
  std::filesystem::create_directory(path + "/ns");
  std::vector<std::string> steps;
  for (const std::string& step : c.host) steps.push_back(InFolder(step, path));
  SampleHost host(steps);
  ASSERT_TRUE(host.Ready());
  ASSERT_EQ(RunChild("/bin/sh", {"sh", "-c", std::string("cd \"$0\" && ") + c.change, path}).status,
            0);
  const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(::inotify_add_watch(watch, secret.c_str(), IN_OPEN), 0);
  ASSERT_GE(::inotify_add_watch(watch, fifo.c_str(), IN_OPEN), 0);

  const std::string heading = "Scanning dllhost.exe (PID:" + std::to_string(host.Pid()) + ") ";
  for (const bool asRoot : {true, false}) {
    std::vector<std::string> command{QUENTIX_EXE_PATH};
    // Four descriptors: the standard three and one more, whatever the test itself holds open.
    if (c.fewDescriptors)
      command = {"/bin/sh", "-c",
                 "exec 3<&- 4<&- 5<&- 6<&- 7<&- 8<&- 9<&-; exec prlimit --nofile=4 -- \"$0\"",
                 QUENTIX_EXE_PATH};
    if (!asRoot)
      command.insert(command.begin(),
                     {"/usr/bin/setpriv", "--bounding-set=-sys_admin,-checkpoint_restore", "--"});
    const ChildResult result = RunChild(command[0], command);
    const std::string& expected = asRoot || !c.ptraceOnly ? c.asRoot : *c.ptraceOnly;
    const std::string block = BlockOf(result.out, heading);
    const std::string pattern =
        expected.empty() ? "" : heading + " System Package " + InFolder(expected, path);
    EXPECT_TRUE(Matches(block, pattern)) << (asRoot ? "as root:\n" : "ptrace alone:\n") << block;
    // Other hosts may be running too: the status is 2 exactly when something was not checked.
    EXPECT_EQ(result.status, result.out.find("\r\nNot checked: ") == std::string::npos ? 0 : 2);
    const bool namesTheList =
        result.out.find("Not checked: the running IIS and COM+ processes (error 4: ") !=
        std::string::npos;
    EXPECT_EQ(namesTheList, c.fewDescriptors);
  }
  char event[4096];
  EXPECT_LT(::read(watch, event, sizeof event), 0) << "the scan opened what a link named";
  ::close(watch);
}

INSTANTIATE_TEST_SUITE_P(Hosts, HostSafety, testing::ValuesIn(CASES),
                         [](const testing::TestParamInfo<Case>& param) {
                           return param.param.name;
                         });

}  // namespace
#endif
