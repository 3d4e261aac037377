// What the black-box suites share: the built executable, its samples and sample hosts, the
// fakes served to it, and what the system says that a report repeats.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/win32.h"
#include "sample_dll.h"
#include "support/child_process.h"
#include "support/system_text.h"
#include "support/temp_folder.h"

// Runs the built quentix with the given arguments (not counting the program name).
ChildResult RunQuentixExe(const std::vector<std::string>& arguments);

// Joins lines, each ended by CR LF.
std::string Lines(const std::vector<std::string>& lines);

// What the check of one file reports for a sample of the given kind at path.
std::string CheckedSample(SampleKind kind, const std::string& path);

// Whether text is a time line: "Www Mmm dd hh:mm:ss yyyy" (a two-digit day) and CR LF.
bool IsTimeLine(const std::string& text);

// Whether quentix may look into other processes here (root on Linux; always under Wine).
bool MayLookIntoOtherProcesses();

// The samples fine.dll, recompile.dll, version5.dll and plain.dll in folder; under Windows
// real DLLs that a host can load, judged as the samples of their names.
void WriteSamples(const TempFolder& folder);

// A stand-in server host process named exeName that has loaded files (named in the samples'
// folder) as its modules, in that order; ended when it goes. A suspended one (Windows only)
// is made and never started: the system has no module list of it yet.
struct HostSetup {
  std::string exeName;
  std::vector<std::string> files;
  bool suspended = false;
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

#if !defined(_WIN32)
#include <sys/types.h>

// A stand-in host process (tools/sample_host) holding files mapped, killed when the test is
// done with it. The arguments are the host's own: [--name NAME] FILE...
class SampleHost {
 public:
  explicit SampleHost(std::vector<std::string> arguments);
  SampleHost(const SampleHost&) = delete;
  SampleHost& operator=(const SampleHost&) = delete;
  ~SampleHost();

  bool Ready() const { return ready_; }
  pid_t Pid() const { return pid_; }
  // The given files in the order the host's memory map lists them.
  std::vector<std::string> InMapOrder(std::vector<std::string> files) const;

 private:
  pid_t pid_ = 0;
  bool ready_ = false;
};
#endif
