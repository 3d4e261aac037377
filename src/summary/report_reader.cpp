#include "summary/report_reader.h"

#include <span>
#include <utility>

#include "report/escaped_bytes.h"
#include "report/report_texts.h"

namespace {

// No line of a report comes near this: a path of the longest any system takes, every byte of
// it shown as \xHH, fits many times over. A longer one is not a report's.
constexpr std::size_t LONGEST_LINE = 64 * 1024;

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool AllDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text)
    if (!IsDigit(c)) return false;
  return true;
}

bool IsHexDigit(char c) {
  return IsDigit(c) || (c >= 'A' && c <= 'F');
}

// The text between lead and end, when line is lead, some text, end.
std::optional<std::string_view> Between(std::string_view line, std::string_view lead,
                                        std::string_view end) {
  if (line.size() < lead.size() + end.size() || !line.starts_with(lead) || !line.ends_with(end))
    return std::nullopt;
  return line.substr(lead.size(), line.size() - lead.size() - end.size());
}

// A process id as the report prints it: plain decimal digits of a 32-bit number.
std::optional<std::uint32_t> ProcessId(std::string_view digits) {
  if (!AllDigits(digits) || digits.size() > 10) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : digits) value = value * 10 + static_cast<std::uint64_t>(c - '0');
  if (value > 0xFFFFFFFFu) return std::nullopt;
  return static_cast<std::uint32_t>(value);
}

bool IsOneOf(std::string_view text, std::span<const std::string_view> names) {
  if (text == UNKNOWN_TIME_NAME) return true;
  for (std::string_view name : names)
    if (text == name) return true;
  return false;
}

bool IsTwoDigitsAt(std::string_view line, std::size_t at) {
  return IsDigit(line[at]) && IsDigit(line[at + 1]);
}

// asctime's form with a two-digit day: "Sun Dec 06 03:02:01 2026".
bool IsTimeLine(std::string_view line) {
  if (line.size() < 21 || !IsOneOf(line.substr(0, 3), DAY_NAMES) ||
      !IsOneOf(line.substr(4, 3), MONTH_NAMES))
    return false;
  for (std::size_t blank : {3, 7, 10, 19})
    if (line[blank] != ' ') return false;
  if (line[13] != ':' || line[16] != ':') return false;
  for (std::size_t at : {8, 11, 14, 17})
    if (!IsTwoDigitsAt(line, at)) return false;
  std::string_view year = line.substr(20);
  if (year.starts_with('-')) year.remove_prefix(1);
  return AllDigits(year);
}

// "error N" or "error N: TEXT", N decimal or an HRESULT's 0x and eight hexadecimal digits.
bool IsErrorText(std::string_view text) {
  if (!text.starts_with(ERROR_LEAD)) return false;
  text.remove_prefix(ERROR_LEAD.size());
  std::size_t digits = 0;
  if (text.starts_with("0x")) {
    while (2 + digits < text.size() && IsHexDigit(text[2 + digits])) ++digits;
    if (digits != 8) return false;
    digits += 2;
  } else {
    while (digits < text.size() && IsDigit(text[digits])) ++digits;
    if (digits == 0 || digits > 10) return false;
  }
  text.remove_prefix(digits);
  return text.empty() ||
         (text.size() > ERROR_TEXT_LEAD.size() && text.starts_with(ERROR_TEXT_LEAD));
}

std::string_view FirstTextLine(std::span<const std::string_view> lines) {
  for (std::string_view line : lines)
    if (!line.empty()) return line;
  return {};
}

std::string_view Trimmed(std::string_view text) {
  while (text.starts_with(' ')) text.remove_prefix(1);
  while (text.ends_with(' ')) text.remove_suffix(1);
  return text;
}

// Whether the line opens a closing text: the recompile note, an all-clear or the note of an
// incomplete check.
bool OpensClosing(std::string_view line) {
  for (std::span<const std::string_view> block :
       {std::span<const std::string_view>(RECOMPILE_NOTE_LINES),
        std::span<const std::string_view>(SINGLE_DLL_SUMMARY_LINES),
        std::span<const std::string_view>(DEFAULT_SUMMARY_LINES),
        std::span<const std::string_view>(CATALOG_SUMMARY_LINES),
        std::span<const std::string_view>(INCOMPLETE_NOTE_HEAD_LINES)})
    if (line == FirstTextLine(block)) return true;
  return false;
}

void Append(std::vector<std::string>& lines, std::span<const std::string_view> block) {
  for (std::string_view line : block) lines.emplace_back(line);
}

}  // namespace

ReportReader::ReportReader(FindingHandler onFinding) : onFinding_(std::move(onFinding)) {}

bool ReportReader::Read(std::string_view bytes) {
  while (stage_ != Stage::Failed && !bytes.empty()) {
    const std::size_t end = bytes.find('\n');
    const std::string_view piece = bytes.substr(0, end);
    if (partial_.size() + piece.size() > LONGEST_LINE) {
      ++lineNumber_;
      Fail("a line far longer than any of a report");
      break;
    }
    if (end == std::string_view::npos) {
      partial_.append(piece);
      break;
    }
    bytes.remove_prefix(end + 1);
    if (partial_.empty()) {
      TakeLine(piece);
    } else {
      partial_.append(piece);
      TakeLine(partial_);
      partial_.clear();
    }
  }
  return stage_ != Stage::Failed;
}

ReportEnd ReportReader::Finish() {
  if (stage_ == Stage::Failed) return end_;
  end_.line = lineNumber_;
  if (!partial_.empty()) {
    end_.state = ReportState::CutShort;
    end_.line = lineNumber_ + 1;
    end_.reason = "the report ends within a line";
  } else if (stage_ != Stage::End) {
    end_.state = ReportState::CutShort;
    end_.reason =
        lineNumber_ == 0 ? "the file is empty" : "the report ends before its closing text";
  } else {
    end_.state = end_.notChecked > 0  ? ReportState::Incomplete
                 : end_.recompile > 0 ? ReportState::Recompile
                                      : ReportState::Clean;
  }
  return end_;
}

void ReportReader::Fail(std::string reason) {
  stage_ = Stage::Failed;
  end_.state = ReportState::NotAReport;
  end_.line = lineNumber_;
  end_.reason = std::move(reason);
}

// One line, without its line end. Every line of a report ends alike, CR LF or LF as the file
// was kept, and a report shows every control byte as \xHH.
void ReportReader::TakeLine(std::string_view line) {
  ++lineNumber_;
  const bool crlf = line.ends_with('\r');
  if (crlf) line.remove_suffix(1);
  if (crlf_.has_value() && *crlf_ != crlf) return Fail("a line that ends otherwise than the first");
  crlf_ = crlf;
  for (char c : line)
    if (IsControlByte(c)) return Fail("a control byte, which a report shows as \\xHH");
  ReadLine(line);
}

void ReportReader::ReadLine(std::string_view line) {
  switch (stage_) {
    case Stage::Banner:
      if (line != BANNER_LINES[bannerLine_]) return Fail("not the banner of a QUENTIX report");
      if (++bannerLine_ == std::size(BANNER_LINES)) stage_ = Stage::Start;
      return;
    case Stage::Start:
      return ReadStart(line);
    case Stage::Scan:
      return ReadScanStart(line);
    case Stage::Body:
      return ReadBody(line);
    case Stage::Closing:
      return ReadClosing(line);
    case Stage::End:
      return Fail("text after the closing text");
    case Stage::Failed:
      return;
  }
}

// After the banner: the help text, the time line of a scan, or the check of one file.
void ReportReader::ReadStart(std::string_view line) {
  if (line.empty()) {
    ++blankRun_;
    return;
  }
  if (line == HELP_LINES[0]) return Fail("the help text, not a report");
  stage_ = Stage::Scan;
  if (!IsTimeLine(line)) return ReadScanStart(line);
  time_ = line;
  blankRun_ = 0;
}

// A scan opens with the catalog's announcement or the host scan's; without a time line, the
// lines are those of the check of one file.
void ReportReader::ReadScanStart(std::string_view line) {
  if (line.empty()) {
    ++blankRun_;
    return;
  }
  stage_ = Stage::Body;
  if (ReadMachineLine(line, CATALOG_MACHINE_LEAD)) {
    section_ = Section::Catalog;
    sawCatalog_ = true;
    blankRun_ = 0;
  } else if (line == HOSTS_ANNOUNCEMENT) {
    section_ = Section::Hosts;
    expect_ = Expect::HostsMachine;
  } else if (line == PRIVILEGE_ERROR_LINES[0]) {
    section_ = Section::Hosts;
    expect_ = Expect::PrivilegeError;
  } else if (time_.has_value()) {
    Fail("not the start of a scan");
  } else {
    ReadBody(line);
  }
}

void ReportReader::ReadBody(std::string_view line) {
  if (expect_ != Expect::Nothing) {
    if (!ReadExpected(line)) Fail("not the line that the one before it calls for");
    blankRun_ = 0;
    openHeading_ = false;
    return;
  }
  if (line.empty()) {
    ++blankRun_;
    takingPackages_ = false;
    return;
  }
  CloseBlocks(line);
  const bool afterEmptyLine = blankRun_ > 0 || openHeading_;
  blankRun_ = 0;
  openHeading_ = false;
  if (OpensClosing(line)) return BeginClosing(line);
  if (section_ == Section::Catalog) {
    if (line == HOSTS_ANNOUNCEMENT || line == PRIVILEGE_ERROR_LINES[0]) {
      section_ = Section::Hosts;
      application_.reset();
      expect_ = line == HOSTS_ANNOUNCEMENT ? Expect::HostsMachine : Expect::PrivilegeError;
      return;
    }
    if (ReadApplicationHeading(line)) return;
    if (application_.has_value() && line.starts_with(PROGID_LEAD)) return;
  }
  if (section_ == Section::Hosts && ReadHostHeading(line)) return;
  // A host's packages end where the check of its modules begins.
  if (ReadCheckLine(line, afterEmptyLine)) {
    takingPackages_ = false;
    return;
  }
  if (takingPackages_) return TakePackage(line);
  Fail("not a line that a report holds here");
}

// A host's or an application's block ends with an empty line that no verdict follows; a
// heading left open has already had its line end, so one empty line ends it.
void ReportReader::CloseBlocks(std::string_view line) {
  if (blankRun_ == 0) return;
  const bool verdictFollows =
      blankRun_ == 1 && !openHeading_ && (line.ends_with(FINE_END) || line.ends_with(VERSION5_END));
  if (verdictFollows) return;
  hostOpen_ = false;
  application_.reset();
}

bool ReportReader::InBlock() const {
  switch (section_) {
    case Section::File:
      return true;
    case Section::Catalog:
      return application_.has_value();
    case Section::Hosts:
      return hostOpen_;
  }
  return false;
}

// The lines of the check of one file, and a "Not checked:" line anywhere. Every verdict but
// the flag lines of a DLL to recompile follows an empty line.
bool ReportReader::ReadCheckLine(std::string_view line, bool afterEmptyLine) {
  if (ReadNotChecked(line)) return true;
  if (!InBlock()) return false;
  if (line == RETAINED_IN_MEMORY_ON || line == RETAINED_IN_MEMORY_OFF) {
    pendingRetained_ = line == RETAINED_IN_MEMORY_ON;
    expect_ = Expect::RecompileUnattended;
    return true;
  }
  if (line.starts_with(UNABLE_TO_OPEN_LEAD)) {
    expect_ = Expect::NotCheckedAfterOpen;
    return true;
  }
  if (!afterEmptyLine) return false;
  if (line.ends_with(FINE_END)) {
    pendingPath_ = line.substr(0, line.size() - FINE_END.size());
    expect_ = Expect::FineRetained;
    return true;
  }
  if (line.ends_with(VERSION5_END)) {
    Emit(Verdict::Version5, line.substr(0, line.size() - VERSION5_END.size()), std::nullopt,
         std::nullopt, std::nullopt);
    return true;
  }
  return false;
}

// "Not checked: SUBJECT (error N: TEXT)". The subject is free text and may hold anything, an
// error's form included; the system's text never holds one. So the error is the last part of
// the line that has the error's form.
bool ReportReader::ReadNotChecked(std::string_view line) {
  const std::optional<std::string_view> body = Between(line, NOT_CHECKED_LEAD, ERROR_CLOSE);
  if (!body.has_value()) return false;
  const std::string marker = std::string(ERROR_OPEN).append(ERROR_LEAD);
  for (std::size_t at = body->rfind(marker); at != std::string_view::npos;
       at = at == 0 ? std::string_view::npos : body->rfind(marker, at - 1)) {
    const std::string_view error = body->substr(at + ERROR_OPEN.size());
    if (!IsErrorText(error)) continue;
    Emit(Verdict::NotChecked, body->substr(0, at), std::nullopt, std::nullopt, error);
    return true;
  }
  return false;
}

bool ReportReader::ReadExpected(std::string_view line) {
  const Expect expected = std::exchange(expect_, Expect::Nothing);
  switch (expected) {
    case Expect::Nothing:
      return false;
    case Expect::HostsMachine:
      return ReadMachineLine(line, HOSTS_MACHINE_LEAD);
    case Expect::PrivilegeError:
      privilegeRefused_ = true;
      return line == PRIVILEGE_ERROR_LINES[1];
    case Expect::FineRetained:
      expect_ = Expect::FineUnattended;
      return line == RETAINED_IN_MEMORY_ON;
    case Expect::FineUnattended:
      if (line != UNATTENDED_EXECUTION_ON) return false;
      Emit(Verdict::Fine, pendingPath_, true, true, std::nullopt);
      return true;
    case Expect::RecompileUnattended:
      // A DLL with both settings on is fine, and needs no recompiling.
      pendingUnattended_ = line == UNATTENDED_EXECUTION_ON;
      expect_ = Expect::RecompileLine;
      return (line == UNATTENDED_EXECUTION_ON && !pendingRetained_) ||
             line == UNATTENDED_EXECUTION_OFF;
    case Expect::RecompileLine:
      if (const auto path = Between(line, RECOMPILE_LEAD, RECOMPILE_END)) {
        Emit(Verdict::Recompile, *path, pendingRetained_, pendingUnattended_, std::nullopt);
        return true;
      }
      return false;
    case Expect::NotCheckedAfterOpen:
      return ReadNotChecked(line);
  }
  return false;
}

// "Opening the COM+ catalog on NAME..." or "and all running COM+ server packages on NAME...":
// both name the one machine.
bool ReportReader::ReadMachineLine(std::string_view line, std::string_view lead) {
  const std::optional<std::string_view> name = Between(line, lead, MACHINE_END);
  if (!name.has_value() || (machine_.has_value() && *machine_ != *name)) return false;
  machine_ = *name;
  return true;
}

// "Scanning NAME (PID:N) " and the first package, or " System Package " and whatever the check
// of the host's first module prints on the same line.
bool ReportReader::ReadHostHeading(std::string_view line) {
  if (!line.starts_with(HOST_LEAD)) return false;
  std::string_view rest = line.substr(HOST_LEAD.size());
  const std::size_t pidAt = rest.find(HOST_PID_LEAD);
  if (pidAt == 0 || pidAt == std::string_view::npos) return false;
  const std::string_view name = rest.substr(0, pidAt);
  rest.remove_prefix(pidAt + HOST_PID_LEAD.size());
  const std::size_t pidEnd = rest.find(HOST_PID_END);
  const std::optional<std::uint32_t> pid = ProcessId(rest.substr(0, pidEnd));
  if (pidEnd == std::string_view::npos || !pid.has_value()) return false;
  rest.remove_prefix(pidEnd + HOST_PID_END.size());

  hostOpen_ = true;
  host_ = name;
  pid_ = *pid;
  if (!rest.starts_with(SYSTEM_PACKAGE)) {
    packages_ = rest;
    takingPackages_ = true;
    return true;
  }
  packages_ = Trimmed(SYSTEM_PACKAGE);
  takingPackages_ = false;
  rest.remove_prefix(SYSTEM_PACKAGE.size());
  if (rest.empty()) {
    openHeading_ = true;
    return true;
  }
  return ReadCheckLine(rest, false);
}

// A further package of the host, on a line of its own. The packages are kept to a line's
// length: a host with more shows the first of them and a mark.
void ReportReader::TakePackage(std::string_view name) {
  static constexpr std::string_view MORE = "...";
  if (packages_.ends_with(MORE) && packages_.size() > LONGEST_LINE) return;
  packages_.append(PACKAGE_SEPARATOR);
  if (packages_.size() + name.size() > LONGEST_LINE)
    packages_.append(MORE);
  else
    packages_.append(name);
}

// "Scanning NAME (N components)", or "(1 component)".
bool ReportReader::ReadApplicationHeading(std::string_view line) {
  const bool one = line.ends_with(ONE_COMPONENT_END);
  const std::optional<std::string_view> body =
      Between(line, APPLICATION_LEAD, one ? ONE_COMPONENT_END : COMPONENTS_END);
  if (!body.has_value()) return false;
  const std::size_t countAt = body->rfind(COMPONENT_COUNT_LEAD);
  if (countAt == std::string_view::npos) return false;
  std::string_view count = body->substr(countAt + COMPONENT_COUNT_LEAD.size());
  if (count.starts_with('-')) count.remove_prefix(1);
  if (!AllDigits(count) || one != (count == "1")) return false;
  application_ = body->substr(0, countAt);
  return true;
}

// The closing texts follow from what the report holds: the recompile note when a DLL needs
// recompiling, the mode's all-clear when nothing was found and everything checked, the note of
// an incomplete check when something was not, with the advice on the debug privilege.
void ReportReader::BeginClosing(std::string_view line) {
  if (end_.recompile > 0) Append(closing_, RECOMPILE_NOTE_LINES);
  if (end_.recompile == 0 && end_.notChecked == 0) {
    if (section_ == Section::File)
      Append(closing_, SINGLE_DLL_SUMMARY_LINES);
    else if (sawCatalog_)
      Append(closing_, CATALOG_SUMMARY_LINES);
    else
      Append(closing_, DEFAULT_SUMMARY_LINES);
  }
  if (end_.notChecked > 0) {
    Append(closing_, INCOMPLETE_NOTE_HEAD_LINES);
    closing_.push_back(
        std::string(INCOMPLETE_COUNT_LEAD) + std::to_string(end_.notChecked) +
        std::string(end_.notChecked == 1 ? INCOMPLETE_COUNT_ONE : INCOMPLETE_COUNT_MANY) +
        std::string(INCOMPLETE_COUNT_END));
    Append(closing_, INCOMPLETE_NOTE_TAIL_LINES);
    if (privilegeRefused_) Append(closing_, PRIVILEGE_ADVICE_LINES);
  }
  // Its leading empty lines were read with the lines before it.
  while (closingRead_ < closing_.size() && closing_[closingRead_].empty()) ++closingRead_;
  stage_ = Stage::Closing;
  if (line != closing_[closingRead_])
    return Fail("not the closing text that the report's findings call for");
  ++closingRead_;
  if (closingRead_ == closing_.size()) stage_ = Stage::End;
}

void ReportReader::ReadClosing(std::string_view line) {
  if (line != closing_[closingRead_]) return Fail("not the next line of the closing text");
  if (++closingRead_ == closing_.size()) stage_ = Stage::End;
}

void ReportReader::Emit(Verdict verdict, std::string_view path, std::optional<bool> retained,
                        std::optional<bool> unattended, std::optional<std::string_view> error) {
  Finding finding;
  finding.verdict = verdict;
  finding.path = path;
  finding.retainedInMemory = retained;
  finding.unattendedExecution = unattended;
  finding.error = error;
  if (machine_.has_value()) finding.machine = *machine_;
  if (time_.has_value()) finding.time = *time_;
  switch (section_) {
    case Section::File:
      finding.source = Source::File;
      break;
    case Section::Catalog:
      finding.source = Source::Catalog;
      if (application_.has_value()) finding.application = *application_;
      break;
    case Section::Hosts:
      finding.source = Source::Host;
      if (hostOpen_) {
        finding.host = host_;
        finding.pid = pid_;
        finding.package = packages_;
      }
      break;
  }
  switch (verdict) {
    case Verdict::Fine:
      ++end_.fine;
      break;
    case Verdict::Recompile:
      ++end_.recompile;
      break;
    case Verdict::Version5:
      ++end_.version5;
      break;
    case Verdict::NotChecked:
      ++end_.notChecked;
      break;
  }
  onFinding_(finding);
}
