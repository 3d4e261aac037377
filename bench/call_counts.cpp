#include "call_counts.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>

#include <cstdarg>

#include "platform/win32.h"

namespace {

bool counting = false;
CallCounts counts;

void Count(long CallCounts::*which) {
  if (counting) ++(counts.*which);
}

}  // namespace

void StartCounting() {
  counts = {};
  counting = true;
}

CallCounts StopCounting() {
  counting = false;
  return counts;
}

extern "C" {
int __real_open(const char* path, int flags, ...);
int __wrap_open(const char* path, int flags, ...) {
  va_list rest;
  va_start(rest, flags);
  const mode_t mode = (flags & O_CREAT) ? va_arg(rest, mode_t) : 0;
  va_end(rest);
  Count(&CallCounts::opens);
  return __real_open(path, flags, mode);
}

int __real_openat(int folder, const char* path, int flags, ...);
int __wrap_openat(int folder, const char* path, int flags, ...) {
  va_list rest;
  va_start(rest, flags);
  const mode_t mode = (flags & O_CREAT) ? va_arg(rest, mode_t) : 0;
  va_end(rest);
  Count(&CallCounts::opens);
  return __real_openat(folder, path, flags, mode);
}

DIR* __real_opendir(const char* path);
DIR* __wrap_opendir(const char* path) {
  Count(&CallCounts::opens);
  return __real_opendir(path);
}

// The layer calls syscall for openat2 alone, with its four arguments.
long __real_syscall(long number, ...);
long __wrap_syscall(long number, long folder, long path, long how, long size) {
  if (number == SYS_openat2) Count(&CallCounts::opens);
  return __real_syscall(number, folder, path, how, size);
}

int __real_stat(const char* path, struct stat* status);
int __wrap_stat(const char* path, struct stat* status) {
  Count(&CallCounts::stats);
  return __real_stat(path, status);
}

int __real_fstat(int fd, struct stat* status);
int __wrap_fstat(int fd, struct stat* status) {
  Count(&CallCounts::stats);
  return __real_fstat(fd, status);
}

BOOL WINAPI __real_Module32First(HANDLE snapshot, LPMODULEENTRY32 entry);
BOOL WINAPI __wrap_Module32First(HANDLE snapshot, LPMODULEENTRY32 entry) {
  const BOOL yielded = __real_Module32First(snapshot, entry);
  if (yielded) Count(&CallCounts::modules);
  return yielded;
}

BOOL WINAPI __real_Module32Next(HANDLE snapshot, LPMODULEENTRY32 entry);
BOOL WINAPI __wrap_Module32Next(HANDLE snapshot, LPMODULEENTRY32 entry) {
  const BOOL yielded = __real_Module32Next(snapshot, entry);
  if (yielded) Count(&CallCounts::modules);
  return yielded;
}
}
