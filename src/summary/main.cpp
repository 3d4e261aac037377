#include "report/termination.h"
#include "summary/run_summary.h"

int main(int argc, char** argv) {
  InstallTerminationHandler();
  return RunSummary(argc, argv);
}
