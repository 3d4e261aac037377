// The report: the one text stream over standard output. A line is written as its pieces,
// then a line end, which goes out as CR LF on every system and flushes the stream. Text
// without a line end waits in the buffer for the next flush, and is lost if the process is
// ended before then.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class ReportStream {
 public:
  // Where flushed bytes go. The default writes them to standard output.
  using Sink = void (*)(const char* data, std::size_t size, void* context);

  ReportStream();
  ReportStream(const ReportStream&) = delete;
  ReportStream& operator=(const ReportStream&) = delete;

  // Text is written as is, except that every newline becomes CR LF.
  ReportStream& operator<<(std::string_view text);
  ReportStream& operator<<(const char* text);  // null writes nothing
  ReportStream& operator<<(char c);
  ReportStream& operator<<(long long number);
  ReportStream& operator<<(unsigned long long number);
  ReportStream& operator<<(int number) { return *this << static_cast<long long>(number); }
  ReportStream& operator<<(long number) { return *this << static_cast<long long>(number); }
  ReportStream& operator<<(unsigned number) {
    return *this << static_cast<unsigned long long>(number);
  }
  ReportStream& operator<<(unsigned long number) {
    return *this << static_cast<unsigned long long>(number);
  }
  ReportStream& operator<<(ReportStream& (*manipulator)(ReportStream&)) {
    return manipulator(*this);
  }

  void Flush();
  // CR LF, then a flush.
  void EndLine();

  // Sends flushed bytes elsewhere (tests); returns the previous sink and context.
  Sink Redirect(Sink sink, void* context, void** previousContext = nullptr);

 private:
  std::string pending_;
  Sink sink_;
  void* context_ = nullptr;
};

// A line end: CR LF, then a flush.
ReportStream& endl(ReportStream& stream);

extern ReportStream Report;
