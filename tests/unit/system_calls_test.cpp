// What the system says of itself (the machine's name, the text of an error, the number of a
// privilege), held on both systems to what Windows documents: a buffer too small, a name or
// a message the system does not have, each fail as Windows fails.
#include <gtest/gtest.h>

#include <string>

#include "support/system_text.h"

namespace {

// The result of the call, or the last error when it failed.
template <typename Call>
DWORD ResultOrError(Call call) {
  SetLastError(0);
  const DWORD result = static_cast<DWORD>(call());
  return result != 0 ? result : GetLastError();
}

TEST(SystemCalls, TheMachineNameGoesOnlyIntoABufferThatHoldsIt) {
  const std::string name = MachineName();
  ASSERT_FALSE(name.empty());
  const DWORD needed = static_cast<DWORD>(name.size() + 1);
  char buffer[MAX_COMPUTERNAME_LENGTH + 1] = {};
  for (DWORD size : {needed - 1, DWORD{0}}) {
    EXPECT_EQ(ResultOrError([&] { return GetComputerNameA(buffer, &size); }),
              DWORD(ERROR_BUFFER_OVERFLOW));
    EXPECT_EQ(size, needed);  // what it takes, the terminator included
  }
  DWORD size = needed;
  EXPECT_TRUE(GetComputerNameA(buffer, &size));
  EXPECT_EQ(size, needed - 1);
  EXPECT_EQ(buffer, name);
}

TEST(SystemCalls, AnErrorsTextEndsInCrLfAndGoesOnlyIntoABufferThatHoldsIt) {
  constexpr DWORD FROM_SYSTEM = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  char text[512] = {};
  const auto format = [&](DWORD flags, DWORD code, char* buffer, DWORD size) {
    return ResultOrError(
        [&] { return FormatMessageA(flags, nullptr, code, 0, buffer, size, nullptr); });
  };
  const DWORD length = format(FROM_SYSTEM, ERROR_ACCESS_DENIED, text, sizeof text);
  ASSERT_GT(length, 2u);
  EXPECT_EQ(std::string(text + length - 2, 3), std::string("\r\n", 3));
  EXPECT_EQ(format(FROM_SYSTEM, ERROR_ACCESS_DENIED, text, length + 1), length);
  EXPECT_EQ(format(FROM_SYSTEM, ERROR_ACCESS_DENIED, text, length),
            DWORD(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(format(FROM_SYSTEM, 0x2000FFFFu, text, sizeof text), DWORD(ERROR_MR_MID_NOT_FOUND));
  EXPECT_EQ(format(FORMAT_MESSAGE_IGNORE_INSERTS, ERROR_ACCESS_DENIED, text, sizeof text),
            DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(format(FROM_SYSTEM, ERROR_ACCESS_DENIED, nullptr, sizeof text),
            DWORD(ERROR_INVALID_PARAMETER));
#if !defined(_WIN32)  // this layer's HRESULT made from a Win32 code says what the code says
  EXPECT_EQ(SystemMessage(0x80070005u), SystemMessage(ERROR_ACCESS_DENIED));
  EXPECT_EQ(SystemMessage(0x80080005u), "");
#endif
}

TEST(SystemCalls, APrivilegeIsLookedUpByItsNameInAnyCaseOnThisMachineAlone) {
  const std::string machine = MachineName(), unc = "\\\\" + machine;
  const struct {
    const char* system;
    const char* name;
    DWORD error;
  } cases[] = {{nullptr, "SeDebugPrivilege", 0},
               {"", "sedebugprivilege", 0},
               {machine.c_str(), "SEDEBUGPRIVILEGE", 0},
               {unc.c_str(), "SeDebugPrivilege", 0},
               {nullptr, "SeDebugPrivileges", ERROR_NO_SUCH_PRIVILEGE},
               {nullptr, "", ERROR_NO_SUCH_PRIVILEGE},
               {"QX-NO-SUCH-HOST", "SeDebugPrivilege", RPC_S_SERVER_UNAVAILABLE}};
  for (const auto& c : cases) {
    LUID luid = {7, 7};
    EXPECT_EQ(ResultOrError([&] { return LookupPrivilegeValueA(c.system, c.name, &luid); }),
              c.error == 0 ? TRUE : c.error)
        << c.name;
    EXPECT_TRUE(c.error != 0 || (luid.LowPart == 20 && luid.HighPart == 0)) << c.name;
  }
}

}  // namespace
