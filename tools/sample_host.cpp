// sample_host [--name NAME] FILE...: a stand-in for a server host process. It names itself
// NAME (dllhost.exe unless told otherwise), maps each FILE read-only as a loaded module
// would be, writes "ready" and a newline to standard output, and then waits until it is
// killed. Exits 2 when a file cannot be mapped.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace {

// Keeps a read-only private mapping of the whole file; the descriptor is not needed after.
bool MapFile(const char* path) {
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat status {};
  void* view = MAP_FAILED;
  if (::fstat(fd, &status) == 0 && status.st_size > 0)
    view = ::mmap(nullptr, static_cast<std::size_t>(status.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
  ::close(fd);
  return view != MAP_FAILED;
}

}  // namespace

int main(int argc, char** argv) {
  const char* name = "dllhost.exe";
  int first = 1;
  if (argc >= 3 && std::strcmp(argv[1], "--name") == 0) {
    name = argv[2];
    first = 3;
  }
  if (::prctl(PR_SET_NAME, name, 0, 0, 0) != 0) {
    std::perror("sample_host: naming");
    return 2;
  }
  for (int i = first; i < argc; ++i) {
    if (!MapFile(argv[i])) {
      std::fprintf(stderr, "sample_host: cannot map %s\n", argv[i]);
      return 2;
    }
  }
  std::fputs("ready\n", stdout);
  std::fflush(stdout);
  for (;;) ::pause();
}
