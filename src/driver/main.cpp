#include "driver/run_modes.h"

int main(int argc, char** argv) {
  return RunQuentix(argc, argv);
}
