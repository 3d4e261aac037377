// The report: the one text stream over standard output. A line is written as its pieces,
// then a line end, which goes out as CR LF on every system and flushes the stream. Text
// without a line end waits in the buffer for the next flush, and is lost if the process is
// ended before then.
//
// Text comes from files, processes and the catalog as much as from the program, so no byte
// of it may start a line or steer a terminal: a control byte (below 0x20, or 0x7F) in any
// piece of text goes out as \xHH. Where the system's ANSI code page is UTF-8, so do the bytes
// of the C1 controls and of the Unicode line and paragraph separators, and every byte that is
// no part of a UTF-8 character. Line ends come from endl and newline alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class ReportStream {
 public:
  // Where flushed bytes go; false when they could not be written. The default writes them to
  // standard output, waiting while a pipe is full.
  using Sink = bool (*)(const char* data, std::size_t size, void* context);

  ReportStream();
  ReportStream(const ReportStream&) = delete;
  ReportStream& operator=(const ReportStream&) = delete;

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

  // Sends what is pending to the sink. When it cannot be written the run ends at once, with
  // a line on standard error and the status of an incomplete check: a report with a piece
  // missing must not pass for a whole one.
  void Flush();
  // CR LF, then a flush.
  void EndLine();
  // CR LF alone; it goes out with the next flush.
  void NewLine() { pending_.append("\r\n"); }
  // Ends the line in progress, if one is, so that what comes next begins a line.
  void EndOpenLine() {
    if (!pending_.empty() && !pending_.ends_with("\r\n")) EndLine();
  }

  // Sends flushed bytes elsewhere (tests, benchmarks); returns the previous sink and context.
  Sink Redirect(Sink sink, void* context, void** previousContext = nullptr);

 private:
  std::string pending_;
  Sink sink_;
  void* context_ = nullptr;
  bool utf8_;  // the ANSI code page, in which names come, is UTF-8
};

// A line end: CR LF, then a flush.
ReportStream& endl(ReportStream& stream);
// A line end that waits for the next flush.
ReportStream& newline(ReportStream& stream);

extern ReportStream Report;
