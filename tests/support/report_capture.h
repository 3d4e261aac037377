// Collects what the report writes while it lives, instead of sending it to standard output.
#pragma once

#include <string>

#include "driver/report.h"

class ReportCapture {
 public:
  ReportCapture();
  ReportCapture(const ReportCapture&) = delete;
  ReportCapture& operator=(const ReportCapture&) = delete;
  ~ReportCapture();

  // Everything flushed so far, with pending text flushed first.
  const std::string& Text();

 private:
  static void Append(const char* data, std::size_t size, void* context);
  std::string text_;
  ReportStream::Sink previous_;
  void* previousContext_ = nullptr;
};
