#include "support/report_capture.h"

ReportCapture::ReportCapture() {
  previous_ = Report.Redirect(Append, this, &previousContext_);
}

ReportCapture::~ReportCapture() {
  Report.Redirect(previous_, previousContext_);
}

const std::string& ReportCapture::Text() {
  Report.Flush();
  return text_;
}

bool ReportCapture::Append(const char* data, std::size_t size, void* context) {
  static_cast<ReportCapture*>(context)->text_.append(data, size);
  return true;
}
