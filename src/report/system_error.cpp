#include "report/system_error.h"

#include <cstdio>

#include "report/report_texts.h"

namespace {

// The system's own text for the error, without the line end it comes with.
std::string SystemText(DWORD code) {
  char text[512] = {};
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, code, 0, text, sizeof text, nullptr);
  std::string message(text, length < sizeof text ? length : 0);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                              message.back() == ' ' || message.back() == '\t'))
    message.pop_back();
  return message;
}

}  // namespace

std::string DescribeError(const SystemError& error) {
  char number[16];
  if (error.isHresult)
    std::snprintf(number, sizeof number, "0x%08lX", static_cast<unsigned long>(error.code));
  else
    std::snprintf(number, sizeof number, "%lu", static_cast<unsigned long>(error.code));
  const std::string text = error.text != nullptr ? error.text : SystemText(error.code);
  std::string description = std::string(ERROR_LEAD) + number;
  if (!text.empty()) description.append(ERROR_TEXT_LEAD).append(text);
  return description;
}
