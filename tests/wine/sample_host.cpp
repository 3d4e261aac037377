// dllhost.exe FILE... (also built as inetinfo.exe): a stand-in for a server host process under
// Wine. It loads each FILE as a DLL, so that it shows in the process's module list the way a
// component's DLL does, writes "ready", its process id and a newline to standard output, and
// then waits until it is ended. Exits 2 when a file cannot be loaded.
//
// dllhost.exe --suspended: makes a copy of itself that is never started, so that its module
// list cannot be had yet, writes "ready" and that copy's process id, and exits. Whoever
// asked ends the copy.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  DWORD shown = GetCurrentProcessId();
  if (argc == 2 && std::strcmp(argv[1], "--suspended") == 0) {
    char self[MAX_PATH];
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION copy{};
    if (GetModuleFileNameA(nullptr, self, MAX_PATH) == 0 ||
        !CreateProcessA(self, nullptr, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                        &startup, &copy))
      return 2;
    shown = copy.dwProcessId;
  } else {
    for (int i = 1; i < argc; ++i) {
      if (LoadLibraryA(argv[i]) == nullptr) {
        std::fprintf(stderr, "sample host: cannot load %s (error %lu)\n", argv[i], GetLastError());
        return 2;
      }
    }
  }
  std::printf("ready %lu\n", shown);
  std::fflush(stdout);
  if (shown == GetCurrentProcessId()) Sleep(INFINITE);
}
