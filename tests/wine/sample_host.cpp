// dllhost.exe FILE... (also built as inetinfo.exe): a stand-in for a server host process under
// Wine. It loads each FILE as a DLL, so that it shows in the process's module list the way a
// component's DLL does, writes "ready" and a newline to standard output, and then waits until
// it is ended. Exits 2 when a file cannot be loaded.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (LoadLibraryA(argv[i]) == nullptr) {
      std::fprintf(stderr, "sample host: cannot load %s (error %lu)\n", argv[i], GetLastError());
      return 2;
    }
  }
  std::fputs("ready\n", stdout);
  std::fflush(stdout);
  Sleep(INFINITE);
}
