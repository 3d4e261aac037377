#include "platform/linux/proc_root.h"

extern "C" const char* ProcRoot() {
  return "/proc";
}
