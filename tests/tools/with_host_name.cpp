// with_host_name NAME COMMAND [ARG...]: runs COMMAND with the host name NAME (which may be
// empty) in a UTS namespace of its own, so the machine's real name is left alone. Exits 77
// when the namespace cannot be had (no privilege), so that callers can skip.
#include <sched.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: with_host_name NAME COMMAND [ARG...]\n");
    return 2;
  }
  if (::unshare(CLONE_NEWUTS) != 0) return 77;
  if (::sethostname(argv[1], std::strlen(argv[1])) != 0) return 77;
  ::execv(argv[2], argv + 2);
  std::perror("with_host_name: exec");
  return 127;
}
