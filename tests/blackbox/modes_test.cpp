// Help, the mode switches and the end of a run that cannot name its machine.
#include <gtest/gtest.h>

#include "blackbox/blackbox.h"

namespace {

TEST(HelpMode, SlashAndDashGiveTheSameTextWhateverFollows) {
  ChildResult reference = RunQuentixExe({"/?"});
  ASSERT_EQ(reference.status, 0);
  EXPECT_EQ(reference.err, "");
  // The text ends with its last example line; no summary follows.
  const std::string last = "quentix 'c:\\program files\\my program\\mybrdll.dll'\r\n";
  ASSERT_GE(reference.out.size(), last.size());
  EXPECT_EQ(reference.out.substr(reference.out.size() - last.size()), last);
  EXPECT_EQ(reference.out.substr(0, kBanner.size()), kBanner);
  for (std::vector<std::string> arguments :
       {std::vector<std::string>{"-?"}, {"/?", "x.dll"}, {"-?", "/sc", "more"}}) {
    ChildResult result = RunQuentixExe(arguments);
    EXPECT_EQ(result.out, reference.out) << arguments[0];
    EXPECT_EQ(result.status, 0);
  }
}

TEST(HelpMode, HasFortyTwoLinesWithTheirBlanks) {
  const std::string help = RunQuentixExe({"/?"}).out.substr(kBanner.size());
  std::vector<std::string> lines;
  for (std::size_t start = 0, end; (end = help.find("\r\n", start)) != std::string::npos;
       start = end + 2)
    lines.push_back(help.substr(start, end - start));
  ASSERT_EQ(lines.size(), 42u);
  EXPECT_EQ(lines[0], "QUENTIX by default, will check the BR project settings ");
  EXPECT_EQ(lines[10], "QUENTIX will then display a list of DLL's from those processes  ");
  EXPECT_EQ(lines[26], "    where: ");
  EXPECT_EQ(lines[28],
            "       /sc        - scan IIS (In Process), OOP Pooled/Isolated applications");
  EXPECT_EQ(lines[29], "                    instantiated COM+ components and COM+ catalog");
  EXPECT_EQ(lines[31], "       dllname    - scan the specified DLL");
  EXPECT_EQ(lines[33],
            "       no options - scan IIS (In Process), OOP Pooled/Isolated applications");
  EXPECT_EQ(lines[34], "                    and instantiated COM+ components");
  for (int dashed : {28, 31, 33}) EXPECT_EQ(lines[dashed].find('-'), 18u) << dashed;
}

// The time line: "Www Mmm dd hh:mm:ss yyyy" with a two-digit day.
bool IsTimeLine(const std::string& line) {
  if (line.size() != 24) return false;
  const std::string shape = "Aaa Aaa 00 00:00:00 0000";
  for (std::size_t i = 0; i < shape.size(); ++i) {
    const char c = line[i];
    const bool ok = shape[i] == '0'   ? (c >= '0' && c <= '9')
                    : shape[i] == 'A' ? (c >= 'A' && c <= 'Z')
                    : shape[i] == 'a' ? (c >= 'a' && c <= 'z')
                                      : c == shape[i];
    if (!ok) return false;
  }
  return true;
}

TEST(CatalogMode, SwitchMatchesInAnyLetterCase) {
  for (const char* argument : {"/sc", "-sc", "/SC", "-Sc"}) {
    ChildResult result = RunQuentixExe({argument});
    ASSERT_EQ(result.status, 0) << argument;
    ASSERT_GT(result.out.size(), kBanner.size() + 26) << argument;
    EXPECT_EQ(result.out.substr(0, kBanner.size()), kBanner);
    EXPECT_TRUE(IsTimeLine(result.out.substr(kBanner.size(), 24))) << argument;
    EXPECT_EQ(result.out.substr(kBanner.size() + 24, 2), "\r\n");
    EXPECT_NE(result.out.find("Opening the COM+ catalog on "), std::string::npos) << argument;
  }
}

#if !defined(_WIN32)
TEST(MachineName, AnUnreadableNameEndsTheRunBeforeAnythingIsPrinted) {
  const std::string helper = std::string(QUENTIX_TEST_TOOLS_DIR) + "/tools/with_host_name";
  for (std::vector<std::string> arguments :
       {std::vector<std::string>{}, {"/?"}, {"/sc"}, {"some.dll"}}) {
    std::vector<std::string> argv{helper, "", QUENTIX_EXE_PATH};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    ChildResult result = RunChild(helper, argv);
    if (result.status == 77) GTEST_SKIP() << "no UTS namespace here (needs root)";
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, kTerminationText);
    EXPECT_EQ(result.status, 3);
  }
}

TEST(MachineName, IsTheHostNameUpToItsFirstDotInCapitalsCutToFifteen) {
  const std::string helper = std::string(QUENTIX_TEST_TOOLS_DIR) + "/tools/with_host_name";
  const struct {
    const char* host;
    const char* machine;
  } cases[] = {{"web01.example.com", "WEB01"},
               {"a-very-long-host-name-indeed", "A-VERY-LONG-HOS"},
               {"exactly15chars0", "EXACTLY15CHARS0"}};
  for (const auto& c : cases) {
    ChildResult result = RunChild(helper, {helper, c.host, QUENTIX_EXE_PATH, "/sc"});
    if (result.status == 77) GTEST_SKIP() << "no UTS namespace here (needs root)";
    EXPECT_NE(result.out.find(std::string("Opening the COM+ catalog on ") + c.machine + "...\r\n"),
              std::string::npos)
        << c.host;
  }
}
#endif

}  // namespace
