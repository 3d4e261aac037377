// The reader of reports on any bytes. Whatever the input, and wherever it is cut into pieces,
// it ends in one state with the same findings, each counted once, and no finding holds a line
// end or a control byte: the report's texts never reach an output as anything but text.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "report/escaped_bytes.h"
#include "summary/report_reader.h"

namespace {

struct Reading {
  ReportEnd end;
  std::vector<std::string> paths;
  std::size_t counted[4] = {};
};

Reading Read(std::string_view bytes, std::size_t cut) {
  Reading reading;
  ReportReader reader([&](const Finding& finding) {
    for (std::string_view text :
         {finding.path, finding.host.value_or(""), finding.package.value_or(""),
          finding.application.value_or(""), finding.error.value_or(""),
          finding.machine.value_or(""), finding.time.value_or("")})
      for (char c : text)
        if (IsControlByte(c)) std::abort();
    reading.paths.emplace_back(finding.path);
    ++reading.counted[static_cast<int>(finding.verdict)];
  });
  if (reader.Read(bytes.substr(0, cut))) reader.Read(bytes.substr(cut));
  reading.end = reader.Finish();
  return reading;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const Reading whole = Read(bytes, size);
  const Reading cut = Read(bytes, size == 0 ? 0 : data[0] % size);
  if (cut.paths != whole.paths || cut.end.state != whole.end.state ||
      cut.end.line != whole.end.line)
    std::abort();
  const ReportEnd& end = whole.end;
  if (whole.counted[static_cast<int>(Verdict::Fine)] != end.fine ||
      whole.counted[static_cast<int>(Verdict::Recompile)] != end.recompile ||
      whole.counted[static_cast<int>(Verdict::Version5)] != end.version5 ||
      whole.counted[static_cast<int>(Verdict::NotChecked)] != end.notChecked)
    std::abort();
  // A whole report's state is what it holds.
  if ((end.state == ReportState::Incomplete) != (end.notChecked > 0 && end.reason.empty()) ||
      (end.state == ReportState::Recompile && (end.recompile == 0 || end.notChecked > 0)) ||
      (end.state == ReportState::Clean && (end.recompile > 0 || end.notChecked > 0)))
    std::abort();
  return 0;
}
