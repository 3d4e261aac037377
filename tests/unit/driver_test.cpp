// The report stream's line ends and buffering, and the time line's fixed form.
#include <gtest/gtest.h>

#include "report/report.h"
#include "driver/run_modes.h"
#include "support/report_capture.h"

namespace {

// Line ends come from endl and newline alone: a control byte in any text is shown, never
// obeyed, so that no name can start a line of its own or steer a terminal.
TEST(ReportStream, TextWaitsForTheNextLineEndAndShowsControlBytes) {
  ReportCapture capture;
  Report << "Scanning "
         << "dll\thost.exe\x1B[2J\x7F"
         << " (PID:" << 4294967295u << ") " << -7 << '\n'
         << newline;
  EXPECT_EQ(capture.Flushed(), "");
  Report << "next\r" << endl;
  const std::string first =
      "Scanning dll\\x09host.exe\\x1B[2J\\x7F (PID:4294967295) -7\\x0A\r\nnext\\x0D\r\n";
  EXPECT_EQ(capture.Flushed(), first);
  Report << endl << static_cast<const char*>(nullptr) << "\xE9" << endl;
  EXPECT_EQ(capture.Flushed(), first + "\r\n\xE9\r\n");
}

std::tm MakeTime(int year, int month, int day, int weekDay, int hour, int minute, int second) {
  std::tm time{};
  time.tm_year = year - 1900;
  time.tm_mon = month - 1;
  time.tm_mday = day;
  time.tm_wday = weekDay;
  time.tm_hour = hour;
  time.tm_min = minute;
  time.tm_sec = second;
  return time;
}

TEST(TimeLine, HasAsctimesFormWithATwoDigitDay) {
  EXPECT_EQ(FormatTimeLine(MakeTime(2026, 12, 6, 0, 3, 2, 1)), "Sun Dec 06 03:02:01 2026");
  EXPECT_EQ(FormatTimeLine(MakeTime(2000, 1, 31, 1, 23, 59, 59)), "Mon Jan 31 23:59:59 2000");
  EXPECT_EQ(FormatTimeLine(MakeTime(1999, 7, 1, 4, 0, 0, 0)), "Thu Jul 01 00:00:00 1999");
}

}  // namespace
