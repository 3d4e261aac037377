// Expected reports and pieces of reports, kept as data under tests/data: the text itself, CR LF
// and all, with these marks filled in:
//   {MACHINE}  the machine name
//   {ERROR n}  "error n" and the system's text for it (n decimal, or hexadecimal with 0x)
// and the caller's own marks. A file may hold several texts, each after a line "== NAME".
#pragma once

#include <string>
#include <utility>
#include <vector>

using Marks = std::vector<std::pair<std::string, std::string>>;

// Every mark of marks in text replaced by its value.
std::string WithMarks(std::string text, const Marks& marks);

// "{ERROR n}" made the report's "error n: TEXT".
std::string WithErrors(std::string text);

// The text of the file (a path under tests/data), or of its section named section, with the
// marks filled in.
std::string ExpectedText(const std::string& file, const std::string& section = "",
                         const Marks& marks = {});
