// sample_host [STEP]...: a stand-in for a server host process. It names itself dllhost.exe,
// takes its steps in order, writes "ready" and a newline to standard output, and then waits
// until it is killed. Exits 2 when a step fails, and 77 when this system cannot give it a
// mount namespace of its own (in a chroot, whose root is no mount point). The steps:
//   FILE                    map FILE read-only, whole, as a loaded module would be, after the
//                           files mapped before it
//   --name NAME             name itself NAME instead
//   --copy FROM TO          copy the file FROM to TO
//   --private-tmpfs FOLDER  enter a mount namespace of its own with a fresh tmpfs on FOLDER
//   --pages COUNT FILE      map the first page of FILE COUNT times, each a mapping of its own
//   --enter COUNT FOLDER    change into FOLDER, COUNT times over: a step at a time, paths far
//                           longer than the system takes at once are reached
//   --user-namespace        become the unprivileged user nobody, root in a user namespace and
//                           a mount namespace of its own (77 when this system gives none)
//   --delete FILE           delete FILE
//   --pivot-root FOLDER     make FOLDER, a mount point, its root; the old root is let go
//   --exit-main-thread      once ready, end the main thread while another one waits
#include <fcntl.h>
#include <grp.h>
#include <pthread.h>
#include <sched.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

// Where the next mapping goes: mappings are laid out one after another in a region kept for
// them, so that the process's memory map lists the files in the order they were given. Two
// never merge, as each starts at its file's start.
char* NextPlace(std::size_t length) {
  constexpr std::size_t REGION = std::size_t{1} << 34;  // address space only, never memory
  static char* next = nullptr;
  static char* end = nullptr;
  if (next == nullptr) {
    void* region =
        ::mmap(nullptr, REGION, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (region == MAP_FAILED) return nullptr;
    next = static_cast<char*>(region);
    end = next + REGION;
  }
  const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  const std::size_t room = (length + page - 1) / page * page;
  if (static_cast<std::size_t>(end - next) < room) return nullptr;
  char* place = next;
  next += room;
  return place;
}

// Maps length bytes of path from its start (0: the whole file), read-only and private; the
// descriptor is not needed after.
bool MapFile(const char* path, long count = 1, std::size_t length = 0) {
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat status {};
  bool mapped = ::fstat(fd, &status) == 0 && status.st_size > 0;
  if (length == 0) length = static_cast<std::size_t>(status.st_size);
  // Mappings of the same page side by side are never merged: their offsets do not follow on.
  for (long i = 0; mapped && i < count; ++i) {
    char* place = NextPlace(length);
    mapped = place != nullptr &&
             ::mmap(place, length, PROT_READ, MAP_PRIVATE | MAP_FIXED, fd, 0) != MAP_FAILED;
  }
  ::close(fd);
  return mapped;
}

bool CopyFile(const char* from, const char* to) {
  FILE* in = std::fopen(from, "rb");
  FILE* out = in != nullptr ? std::fopen(to, "wb") : nullptr;
  char buffer[65536];
  bool copied = out != nullptr;
  for (std::size_t got; copied && (got = std::fread(buffer, 1, sizeof buffer, in)) > 0;)
    copied = std::fwrite(buffer, 1, got, out) == got;
  if (in != nullptr) std::fclose(in);
  return out != nullptr && std::fclose(out) == 0 && copied;
}

// The new namespace's mounts are made private first, so that the tmpfs stays in it.
bool MountPrivateTmpfs(const char* folder) {
  return ::unshare(CLONE_NEWNS) == 0 &&
         ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
         ::mount("tmpfs", folder, "tmpfs", 0, nullptr) == 0;
}

bool WriteText(const char* path, const std::string& text) {
  const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
  const bool written =
      fd >= 0 && ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  if (fd >= 0) ::close(fd);
  return written;
}

// A process that ends with whoever started it; a change of user clears that, so it is set
// again after one.
void EndWithParent() {
  ::prctl(PR_SET_PDEATHSIG, SIGKILL, 0, 0, 0);
}

// What an unprivileged user does to have file systems of their own (unshare -Urm). The change
// of user also makes the process's own files root's, until it is made dumpable again.
bool EnterUserNamespace() {
  constexpr unsigned NOBODY = 65534;
  if (::setgroups(0, nullptr) != 0 || ::setgid(NOBODY) != 0 || ::setuid(NOBODY) != 0) return false;
  EndWithParent();
  ::prctl(PR_SET_DUMPABLE, 1, 0, 0, 0);
  const std::string self = "0 " + std::to_string(NOBODY) + " 1";
  return ::unshare(CLONE_NEWUSER | CLONE_NEWNS) == 0 && WriteText("/proc/self/setgroups", "deny") &&
         WriteText("/proc/self/uid_map", self) && WriteText("/proc/self/gid_map", self);
}

// The old root is stacked on the new one, then let go of.
bool PivotRoot(const char* folder) {
  return ::chdir(folder) == 0 && ::syscall(SYS_pivot_root, ".", ".") == 0 &&
         ::umount2(".", MNT_DETACH) == 0 && ::chdir("/") == 0;
}

void SayReady() {
  std::fputs("ready\n", stdout);
  std::fflush(stdout);
}

[[noreturn]] void WaitForever() {
  for (;;) ::pause();
}

// The other thread says ready once the process's own maps read empty: the main thread's end
// has then gone all the way through.
void* ReadyOnceMainThreadHasEnded(void*) {
  const std::string maps = "/proc/" + std::to_string(::getpid()) + "/maps";
  for (char byte = 0;;) {
    const int fd = ::open(maps.c_str(), O_RDONLY | O_CLOEXEC);
    const ssize_t got = fd < 0 ? -1 : ::read(fd, &byte, 1);
    if (fd >= 0) ::close(fd);
    if (got == 0) break;
    ::usleep(1000);
  }
  SayReady();
  WaitForever();
}

int Fail(const char* step, const char* argument) {
  std::fprintf(stderr, "sample_host: %s %s failed\n", step, argument);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  // Ends with whoever started it: a test cut short leaves no host behind to show in the next.
  EndWithParent();
  const char* name = "dllhost.exe";
  bool exitMainThread = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view step = argv[i];
    const bool hasOne = i + 1 < argc;
    const bool hasTwo = i + 2 < argc;
    if (step == "--name" && hasOne) {
      name = argv[++i];
    } else if (step == "--copy" && hasTwo) {
      if (!CopyFile(argv[i + 1], argv[i + 2])) return Fail("--copy", argv[i + 1]);
      i += 2;
    } else if (step == "--private-tmpfs" && hasOne) {
      if (!MountPrivateTmpfs(argv[++i])) {
        Fail("--private-tmpfs", argv[i]);
        return 77;
      }
    } else if (step == "--pages" && hasTwo) {
      if (!MapFile(argv[i + 2], std::atol(argv[i + 1]),
                   static_cast<std::size_t>(::sysconf(_SC_PAGESIZE))))
        return Fail("--pages", argv[i + 2]);
      i += 2;
    } else if (step == "--enter" && hasTwo) {
      for (long level = std::atol(argv[i + 1]); level > 0; --level)
        if (::chdir(argv[i + 2]) != 0) return Fail("--enter", argv[i + 2]);
      i += 2;
    } else if (step == "--user-namespace") {
      if (!EnterUserNamespace()) {
        Fail("--user-namespace", "");
        return 77;
      }
    } else if (step == "--delete" && hasOne) {
      if (::unlink(argv[++i]) != 0) return Fail("--delete", argv[i]);
    } else if (step == "--pivot-root" && hasOne) {
      if (!PivotRoot(argv[++i])) return Fail("--pivot-root", argv[i]);
    } else if (step == "--exit-main-thread") {
      exitMainThread = true;
    } else if (!MapFile(argv[i])) {
      return Fail("mapping", argv[i]);
    }
  }
  if (::prctl(PR_SET_NAME, name, 0, 0, 0) != 0) return Fail("naming", name);
  pthread_t other;
  if (!exitMainThread) {
    SayReady();
    WaitForever();
  }
  if (::pthread_create(&other, nullptr, ReadyOnceMainThreadHasEnded, nullptr) != 0)
    return Fail("starting a thread", "");
  ::pthread_exit(nullptr);
}
