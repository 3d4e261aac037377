// Collects what the report writes while it lives, instead of sending it to standard output.
#pragma once

#include <string>

#include "report/report.h"

class ReportCapture {
 public:
  ReportCapture();
  ReportCapture(const ReportCapture&) = delete;
  ReportCapture& operator=(const ReportCapture&) = delete;
  ~ReportCapture();

  // Everything flushed so far, with pending text flushed first.
  const std::string& Text();
  // What has gone out so far, leaving pending text where it is.
  const std::string& Flushed() const { return text_; }

 private:
  static bool Append(const char* data, std::size_t size, void* context);
  std::string text_;
  ReportStream::Sink previous_;
  void* previousContext_ = nullptr;
};
