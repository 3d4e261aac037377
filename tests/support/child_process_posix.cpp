#if !defined(_WIN32)
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <stdexcept>

#include "support/child_process.h"

extern char** environ;

namespace {

// A file of its own, already unlinked, for one stream of the child.
int Capture() {
  FILE* file = std::tmpfile();
  if (file == nullptr) throw std::runtime_error("no temporary file");
  const int fd = ::dup(::fileno(file));
  std::fclose(file);
  return fd;
}

std::string ReadBack(int fd) {
  std::string text;
  char buffer[65536];
  ::lseek(fd, 0, SEEK_SET);
  for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;)
    text.append(buffer, static_cast<std::size_t>(got));
  ::close(fd);
  return text;
}

}  // namespace

ChildResult RunChild(const std::string& program, const std::vector<std::string>& arguments) {
  const int out = Capture();
  const int err = Capture();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out, 1);
  posix_spawn_file_actions_adddup2(&actions, err, 2);
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int failed = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0) throw std::runtime_error("cannot start " + program);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return {ReadBack(out), ReadBack(err), WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}
#endif
