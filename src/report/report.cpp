#include "report/report.h"

#include "platform/standard_io.h"
#include "platform/win32.h"
#include "report/system_error.h"

namespace {

bool WriteToStandardOutput(const char* data, std::size_t size, void*) {
  return WriteAllToStandardOutput(data, size);
}

bool IsControlByte(unsigned char byte) {
  return byte < 0x20 || byte == 0x7F;
}

// How many bytes from the start of text one UTF-8 character fills that may be shown as it is;
// 0 when the first byte is to be shown as \xHH. That is a control byte, a byte that starts no
// character (which a reader may decode as anything), and the first byte of a C1 control
// (U+0080 to U+009F, among them NEL) or of the line and paragraph separators U+2028 and
// U+2029, which end a line for a reader that splits lines the Unicode way. The bytes after a
// first byte so shown start no character, and are shown so in turn.
std::size_t ShowableUtf8Length(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  if (lead < 0x80) return IsControlByte(lead) ? 0 : 1;
  // The shortest form of a scalar value: no overlong form, no surrogate, nothing past U+10FFFF.
  std::size_t length = 4;
  unsigned char low = lead == 0xF0 ? 0x90 : 0x80;
  unsigned char high = lead == 0xF4 ? 0x8F : 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    low = lead == 0xE0 ? 0xA0 : 0x80;
    high = lead == 0xED ? 0x9F : 0xBF;
  } else if (lead < 0xF0 || lead > 0xF4) {
    return 0;
  }
  if (text.size() < length) return 0;
  char32_t value = lead & (0x7Fu >> length);
  for (std::size_t i = 1; i < length; ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < (i == 1 ? low : 0x80) || byte > (i == 1 ? high : 0xBF)) return 0;
    value = (value << 6) | (byte & 0x3Fu);
  }
  return value <= 0x9F || value == 0x2028 || value == 0x2029 ? 0 : length;
}

// In the single-byte and double-byte code pages only a control byte can end a line or steer a
// terminal.
std::size_t ShowableLength(std::string_view text, bool utf8) {
  if (utf8) return ShowableUtf8Length(text);
  return IsControlByte(static_cast<unsigned char>(text[0])) ? 0 : 1;
}

void AppendEscaped(std::string& out, char c) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  const auto byte = static_cast<unsigned char>(c);
  out += "\\x";
  out += kDigits[byte >> 4];
  out += kDigits[byte & 0x0F];
}

[[noreturn]] void EndOnWriteFailure() {
  const std::string message =
      "QUENTIX could not write its report (" + DescribeError(LastWin32Error()) + ")\r\n";
  WriteAllToStandardError(message.data(), message.size());
  EndProcessAtOnce(2);
}

}  // namespace

ReportStream::ReportStream() : sink_(WriteToStandardOutput), utf8_(GetACP() == CP_UTF8) {
  PrepareStandardOutput();
}

ReportStream& ReportStream::operator<<(std::string_view text) {
  std::size_t start = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t length = ShowableLength(text.substr(i), utf8_);
    if (length > 0) {
      i += length;
      continue;
    }
    pending_.append(text.substr(start, i - start));
    AppendEscaped(pending_, text[i]);
    start = ++i;
  }
  pending_.append(text.substr(start));
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
