#include "support/expected_text.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "support/system_text.h"

std::string WithMarks(std::string text, const Marks& marks) {
  for (const auto& [mark, value] : marks)
    for (std::size_t at = 0; (at = text.find(mark, at)) != std::string::npos; at += value.size())
      text.replace(at, mark.size(), value);
  return text;
}

std::string WithErrors(std::string text) {
  for (std::size_t at; (at = text.find("{ERROR ")) != std::string::npos;) {
    const std::size_t end = text.find('}', at);
    const std::string number = text.substr(at + 7, end - at - 7);
    const DWORD code = static_cast<DWORD>(std::stoul(number, nullptr, 0));
    text.replace(at, end + 1 - at, ErrorText(code, number.starts_with("0x")));
  }
  return text;
}

std::string ExpectedText(const std::string& file, const std::string& section, const Marks& marks) {
  std::ifstream in(std::string(QUENTIX_TEST_DATA_DIR) + "/" + file, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + file);
  std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (!section.empty()) {
    const std::string header = "== " + section + "\r\n";
    const std::size_t start = text.find(header);
    if (start == std::string::npos) throw std::runtime_error("no " + section + " in " + file);
    const std::size_t from = start + header.size();
    const std::size_t next = text.find("\r\n== ", from - 2);
    text = text.substr(from, next == std::string::npos ? std::string::npos : next + 2 - from);
  }
  return WithErrors(WithMarks(WithMarks(text, marks), {{"{MACHINE}", MachineName()}}));
}
