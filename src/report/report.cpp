#include "report/report.h"

#include "platform/standard_io.h"

namespace {

void WriteToStandardOutput(const char* data, std::size_t size, void*) {
  WriteAllToStandardOutput(data, size);
}

}  // namespace

ReportStream::ReportStream() : sink_(WriteToStandardOutput) {
  PrepareStandardOutput();
}

ReportStream& ReportStream::operator<<(std::string_view text) {
  std::size_t start = 0;
  for (std::size_t i = text.find('\n'); i != std::string_view::npos; i = text.find('\n', start)) {
    pending_.append(text.substr(start, i - start));
    pending_.append("\r\n");
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
  sink_(pending_.data(), pending_.size(), context_);
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
  pending_.append("\r\n");
  Flush();
}

ReportStream& endl(ReportStream& stream) {
  stream.EndLine();
  return stream;
}
