#include "report/report.h"

#include "platform/standard_io.h"
#include "report/escaped_bytes.h"
#include "report/system_error.h"

namespace {

bool WriteToStandardOutput(const char* data, std::size_t size, void*) {
  return WriteAllToStandardOutput(data, size);
}

[[noreturn]] void EndOnWriteFailure() {
  const std::string message =
      "QUENTIX could not write its report (" + DescribeError(LastWin32Error()) + ")\r\n";
  WriteAllToStandardError(message.data(), message.size());
  EndProcessAtOnce(2);
}

}  // namespace

ReportStream::ReportStream() : sink_(WriteToStandardOutput) {
  PrepareStandardOutput();
}

ReportStream& ReportStream::operator<<(std::string_view text) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!IsControlByte(text[i])) continue;
    pending_.append(text.substr(start, i - start));
    AppendEscapedByte(pending_, text[i]);
    start = i + 1;
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
