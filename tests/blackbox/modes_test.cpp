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

TEST(CatalogMode, SwitchMatchesInAnyLetterCase) {
  for (const char* argument : {"/sc", "-sc", "/SC", "-Sc"}) {
    ChildResult result = RunQuentixExe({argument});
    EXPECT_EQ(result.status, 0) << argument;
    EXPECT_TRUE(AfterTheTimeLine(result).starts_with("\r\nOpening the COM+ catalog on "))
        << argument;
  }
}

#if !defined(_WIN32)
// The machine name is the host name up to its first dot, in capitals, cut to 15; a name that
// cannot be read ends any run before anything is printed.
TEST(MachineName, ComesFromTheHostNameOrEndsTheRun) {
  const std::string helper = std::string(QUENTIX_TEST_TOOLS_DIR) + "/tools/with_host_name";
  const struct {
    const char* host;
    const char* argument;  // none when empty
    const char* machine;   // null: the run ends
  } cases[] = {{"", "", nullptr},
               {"", "/?", nullptr},
               {"", "/sc", nullptr},
               {"", "some.dll", nullptr},
               {"web01.example.com", "/sc", "WEB01"},
               {"a-very-long-host-name-indeed", "/sc", "A-VERY-LONG-HOS"},
               {"exactly15chars0", "/sc", "EXACTLY15CHARS0"}};
  for (const auto& c : cases) {
    std::vector<std::string> argv{helper, c.host, QUENTIX_EXE_PATH};
    if (*c.argument != '\0') argv.push_back(c.argument);
    const ChildResult result = RunChild(helper, argv);
    if (result.status == 77) GTEST_SKIP() << "no UTS namespace here (needs root)";
    if (c.machine != nullptr) {
      EXPECT_NE(
          result.out.find(std::string("Opening the COM+ catalog on ") + c.machine + "...\r\n"),
          std::string::npos)
          << c.host;
      continue;
    }
    EXPECT_EQ(result.out, "") << c.argument;
    EXPECT_EQ(result.err, kTerminationText);
    EXPECT_EQ(result.status, 3);
  }
}
#endif

}  // namespace
