// What the black-box suites share: the built executable, and the fixed texts of its report.
#pragma once

#include <string>
#include <vector>

#include "sample_dll.h"
#include "support/child_process.h"

// Runs the built quentix with the given arguments (not counting the program name).
ChildResult RunQuentixExe(const std::vector<std::string>& arguments);

// Joins lines, each ended by CR LF.
std::string Lines(const std::vector<std::string>& lines);

// What the check of one file reports for a sample of the given kind at path.
std::string CheckedSample(SampleKind kind, const std::string& path);

// Whether text is a time line: "Www Mmm dd hh:mm:ss yyyy" (a two-digit day) and CR LF.
bool IsTimeLine(const std::string& text);

// The output after the banner and the time line, which are checked on the way.
std::string AfterTheTimeLine(const ChildResult& result);

extern const std::string kBanner;
extern const std::string kSingleDllSummary;
extern const std::string kDefaultSummary;
extern const std::string kCatalogSummary;
extern const std::string kRecompileNote;
extern const std::string kTerminationText;

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
