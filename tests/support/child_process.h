// Runs a program as a child process and collects what it wrote and how it ended.
#pragma once

#include <string>
#include <vector>

struct ChildResult {
  std::string out;  // standard output, byte for byte
  std::string err;  // standard error, byte for byte
  int status = -1;  // exit status; -1 when the child did not exit normally
};

// Runs program with arguments (argv[0] is program itself). Standard input is empty.
ChildResult RunChild(const std::string& program, const std::vector<std::string>& arguments);
