// What no report of the black-box suite shows: text waits in the report until its line ends,
// every control byte is shown as \xHH, and the time line's day always has two digits.
#include <gtest/gtest.h>

#include "driver/run_modes.h"
#include "report/report.h"
#include "support/report_capture.h"

namespace {

TEST(ReportStream, TextWaitsForTheLineEndAndShowsControlBytes) {
  ReportCapture capture;
  Report << "\t\x1F\x7F " << -7 << 4294967295u << '\n' << newline;
  EXPECT_EQ(capture.Flushed(), "");
  Report << static_cast<const char*>(nullptr) << "\x80" << endl;
  EXPECT_EQ(capture.Flushed(), "\\x09\\x1F\\x7F -74294967295\\x0A\r\n\x80\r\n");
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
