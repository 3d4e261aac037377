#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <stdexcept>

#include "support/child_process.h"

namespace {

// Quotes one argument so that the child's C runtime splits it back exactly as given.
std::string QuoteArgument(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos)
    return argument;
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    // Backslashes count double only before a quote, the argument's own or the closing one.
    quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, '\\');
  return quoted + "\"";
}

struct Drain {
  HANDLE pipe;
  std::string text;
};

DWORD WINAPI DrainPipe(void* context) {
  Drain& drain = *static_cast<Drain*>(context);
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(drain.pipe, buffer, sizeof buffer, &got, nullptr) && got > 0)
    drain.text.append(buffer, got);
  return 0;
}

// A pipe whose write end the child inherits and whose read end stays with us.
void MakePipe(HANDLE& readEnd, HANDLE& writeEnd) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0) ||
      !SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0))
    throw std::runtime_error("cannot make a pipe");
}

}  // namespace

ChildResult RunChild(const std::string& program, const std::vector<std::string>& arguments) {
  std::string commandLine;
  for (const std::string& argument : arguments)
    commandLine += (commandLine.empty() ? "" : " ") + QuoteArgument(argument);

  HANDLE outRead, outWrite, errRead, errWrite;
  MakePipe(outRead, outWrite);
  MakePipe(errRead, errWrite);
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE input = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                             OPEN_EXISTING, 0, nullptr);

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = outWrite;
  startup.hStdError = errWrite;
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                      0, nullptr, nullptr, &startup, &process);
  // Only the child may hold the write ends now, so the reads below end when it does.
  CloseHandle(outWrite);
  CloseHandle(errWrite);
  if (input != INVALID_HANDLE_VALUE) CloseHandle(input);
  if (!started) {
    CloseHandle(outRead);
    CloseHandle(errRead);
    throw std::runtime_error("cannot start " + program);
  }
  CloseHandle(process.hThread);

  // Standard error is read on a thread of its own so that neither pipe can fill up and
  // stall the child while the other is being waited on.
  Drain out{outRead, {}}, err{errRead, {}};
  HANDLE errThread = CreateThread(nullptr, 0, DrainPipe, &err, 0, nullptr);
  if (errThread == nullptr) throw std::runtime_error("cannot start a reader thread");
  DrainPipe(&out);
  WaitForSingleObject(errThread, INFINITE);
  CloseHandle(errThread);
  CloseHandle(outRead);
  CloseHandle(errRead);

  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  ChildResult result;
  if (GetExitCodeProcess(process.hProcess, &code)) result.status = static_cast<int>(code);
  CloseHandle(process.hProcess);
  result.out = std::move(out.text);
  result.err = std::move(err.text);
  return result;
}
#endif
