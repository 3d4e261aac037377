#include "report/report.h"

#include "platform/standard_io.h"
#include "platform/win32.h"
#include "report/escaped_bytes.h"
#include "report/exit_status.h"
#include "report/system_error.h"

namespace {

bool WriteToStandardOutput(const char* data, std::size_t size, void*) {
  return WriteAllToStandardOutput(data, size);
}

// How many bytes from the start of text one UTF-8 character fills that may be shown as it is;
// 0 when the first byte is to be shown as \xHH. That is a control byte, a byte that starts no
// character (which a reader may decode as anything), and the first byte of a C1 control
// (U+0080 to U+009F, among them NEL) or of the line and paragraph separators U+2028 and
// U+2029, which end a line for a reader that splits lines the Unicode way. The bytes after a
// first byte so shown start no character, and are shown so in turn.
std::size_t ShowableUtf8Length(std::string_view text) {
  if (IsControlByte(text[0])) return 0;
  const std::size_t length = Utf8CharacterLength(text);
  const auto second = length > 1 ? static_cast<unsigned char>(text[1]) : 0;
  const bool c1Control = length == 2 && text[0] == '\xC2' && second <= 0x9F;
  const bool separator =
      length == 3 && text.starts_with("\xE2\x80") && (text[2] == '\xA8' || text[2] == '\xA9');
  return c1Control || separator ? 0 : length;
}

// In the single-byte and double-byte code pages only a control byte can end a line or steer a
// terminal.
std::size_t ShowableLength(std::string_view text, bool utf8) {
  if (utf8) return ShowableUtf8Length(text);
  return IsControlByte(text[0]) ? 0 : 1;
}

[[noreturn]] void EndOnWriteFailure() {
  const std::string message =
      "QUENTIX could not write its report (" + DescribeError(LastWin32Error()) + ")\r\n";
  WriteAllToStandardError(message.data(), message.size());
  EndProcessAtOnce(EXIT_INCOMPLETE);
}

}  // namespace

ReportStream::ReportStream() : sink_(WriteToStandardOutput), utf8_(GetACP() == CP_UTF8) {
  PrepareStandardOutput();
}

ReportStream& ReportStream::operator<<(std::string_view text) {
  AppendShowingBytes(pending_, text,
                     [this](std::string_view rest) { return ShowableLength(rest, utf8_); });
  return *this;
}

ReportStream& ReportStream::operator<<(const char* text) {
  return text == nullptr ? *this : *this << std::string_view(text);
}

ReportStream& ReportStream::operator<<(char c) {
  return *this << std::string_view(&c, 1);
}

ReportStream& ReportStream::operator<<(long long number) {
  pending_.append(std::to_string(number));
  return *this;
}

ReportStream& ReportStream::operator<<(unsigned long long number) {
  pending_.append(std::to_string(number));
  return *this;
}

void ReportStream::Flush() {
  if (pending_.empty()) return;
  if (!sink_(pending_.data(), pending_.size(), context_)) EndOnWriteFailure();
  pending_.clear();
}

ReportStream::Sink ReportStream::Redirect(Sink sink, void* context, void** previousContext) {
  Flush();
  Sink previous = sink_;
  if (previousContext != nullptr) *previousContext = context_;
  sink_ = sink;
  context_ = context;
  return previous;
}

void ReportStream::EndLine() {
  NewLine();
  Flush();
}

ReportStream& endl(ReportStream& stream) {
  stream.EndLine();
  return stream;
}

ReportStream& newline(ReportStream& stream) {
  stream.NewLine();
  return stream;
}
