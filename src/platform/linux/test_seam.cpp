#include "platform/linux/test_seam.h"

#include <utility>
#include <vector>

namespace {

std::string& Root() {
  static std::string root = "/proc";
  return root;
}

std::vector<Fault>& Faults() {
  static std::vector<Fault> faults;
  return faults;
}

}  // namespace

const std::string& ProcRoot() {
  return Root();
}

void SetProcRoot(std::string root) {
  Root() = std::move(root);
}

void InjectFault(const Fault& fault) {
  Faults().push_back(fault);
}

void ClearFaults() {
  Faults().clear();
}

std::optional<BOOL> DueFault(FaultPoint point) {
  for (Fault& fault : Faults()) {
    if (fault.point != point || fault.times <= 0) continue;
    if (fault.skip > 0) {
      --fault.skip;
      return std::nullopt;
    }
    --fault.times;
    SetLastError(fault.lastError);
    return fault.result;
  }
  return std::nullopt;
}
