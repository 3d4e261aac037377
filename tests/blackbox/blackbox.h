// What the black-box suite runs quentix with on each system: its samples and sample hosts, and
// the fakes served to it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/win32.h"
#include "sample_dll.h"
#include "support/child_process.h"
#include "support/system_text.h"
#include "support/temp_folder.h"

// Whether quentix may look into other processes here (root on Linux; always under Wine).
bool MayLookIntoOtherProcesses();

// The samples fine.dll, recompile.dll, version5.dll and plain.dll in folder; under Windows
// real DLLs that a host can load, judged as the samples of their names.
void WriteSamples(const TempFolder& folder);

// A stand-in server host process named exeName that has loaded files (named in the samples'
// folder) as its modules, in that order; ended when it goes. A suspended one (Windows only)
// is made and never started: the system has no module list of it yet. On Linux, steps (of
// tools/sample_host) take the place of the files where given.
struct HostSetup {
  std::string exeName;
  std::vector<std::string> files;
  bool suspended = false;
  std::vector<std::string> steps = {};
};
class SampleHostProcess {
 public:
  virtual ~SampleHostProcess() = default;
  virtual DWORD Id() const = 0;
};
std::unique_ptr<SampleHostProcess> StartSampleHost(const HostSetup& setup,
                                                   const TempFolder& folder);

// While it lives, the run of argv finds the named fake catalog (with its DLLs in folder) and a
// fake package tracker listing packages ("PID NAME" lines), where given. On Linux argv is
// turned into a run of the harness that registers them; under Wine the test bed's COM server
// is told what to serve.
class ServedFakes {
 public:
  ServedFakes(std::vector<std::string>& argv, const char* catalog, const std::string& folder,
              const std::string& packages);
  ServedFakes(const ServedFakes&) = delete;
  ServedFakes& operator=(const ServedFakes&) = delete;
  ~ServedFakes();
};
