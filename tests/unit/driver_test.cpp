// What no report of the black-box suite shows: text waits in the report until its line ends,
// every control byte, and in UTF-8 whatever else may end a line, is shown as \xHH, and the time
// line's day always has two digits.
#include <gtest/gtest.h>

#include <string>

#include "driver/run_modes.h"
#include "platform/win32.h"
#include "report/report.h"
#include "support/report_capture.h"

namespace {

TEST(ReportStream, TextWaitsForTheLineEndAndShowsControlBytes) {
  ReportCapture capture;
  Report << "\t\x1F\x7F " << -7 << 4294967295u << '\n' << newline;
  EXPECT_EQ(capture.Flushed(), "");
  Report << static_cast<const char*>(nullptr) << "x" << endl;
  EXPECT_EQ(capture.Flushed(), "\\x09\\x1F\\x7F -74294967295\\x0A\r\nx\r\n");
}

// Where names are UTF-8, what a reader may take for a line end or a terminal command is shown
// as bytes too: a C1 control (NEL, CSI), a line or paragraph separator, a byte of no character.
// In the ANSI code pages of Windows those bytes are characters like any other.
TEST(ReportStream, ShowsWhatEndsALineInUtf8AsBytes) {
  const struct {
    const char* text;
    const char* utf8;
  } cases[] = {
      {"\xC2\x85|\xC2\x9B|\xC2\x80|\xC2\x9F", "\\xC2\\x85|\\xC2\\x9B|\\xC2\\x80|\\xC2\\x9F"},
      {"\xC2\xA0\xC3\xA9", "\xC2\xA0\xC3\xA9"},
      {"\xE2\x80\xA8\xE2\x80\xA9", "\\xE2\\x80\\xA8\\xE2\\x80\\xA9"},
      {"\xE2\x80\xA7\xE2\x80\xAA\xF0\x9F\x98\x80", "\xE2\x80\xA7\xE2\x80\xAA\xF0\x9F\x98\x80"},
      // Latin-1, a character cut short, overlong forms, a surrogate, a value past U+10FFFF.
      {"\xE9t\xE2\x80z\xC3", "\\xE9t\\xE2\\x80z\\xC3"},
      {"\xC0\xAF\xE0\x80\xAF", "\\xC0\\xAF\\xE0\\x80\\xAF"},
      {"\xED\xA0\x80\xF4\x90\x80\x80", "\\xED\\xA0\\x80\\xF4\\x90\\x80\\x80"},
  };
  const bool utf8 = GetACP() == CP_UTF8;
  for (const auto& c : cases) {
    ReportCapture capture;
    Report << c.text << endl;
    EXPECT_EQ(capture.Text(), std::string(utf8 ? c.utf8 : c.text) + "\r\n") << c.utf8;
  }
}

TEST(TimeLine, HasAsctimesFormWithATwoDigitDayAndNamesOnlyWhatItKnows) {
  std::tm time{};
  time.tm_year = 2026 - 1900;
  time.tm_mon = 11;
  time.tm_mday = 6;
  time.tm_hour = 3;
  time.tm_min = 2;
  time.tm_sec = 1;
  EXPECT_EQ(FormatTimeLine(time), "Sun Dec 06 03:02:01 2026");
  time.tm_wday = 6;
  time.tm_mon = 0;
  time.tm_mday = 31;
  time.tm_hour = 23;
  EXPECT_EQ(FormatTimeLine(time), "Sat Jan 31 23:02:01 2026");
  time.tm_wday = 7;  // a day and a month out of their ranges are not looked up
  time.tm_mon = 12;
  EXPECT_EQ(FormatTimeLine(time), "??? ??? 31 23:02:01 2026");
}

}  // namespace
