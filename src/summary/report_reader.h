// Reads one report as QUENTIX writes it, from any build and in any mode, and hands on its
// findings as it goes. It never guesses: a line that is not a line the report can hold at that
// place makes the report "not a report", and a report that ends before its closing text is
// "cut short". It holds one line at a time, so its memory does not grow with the report.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "summary/findings.h"

// How reading one report ended.
struct ReportEnd {
  ReportState state = ReportState::Clean;
  std::size_t line = 0;  // the line that was not understood, or the last line read
  std::string reason;    // why a report is not a report or cut short; else empty
  // The lines of each kind the report holds.
  std::size_t fine = 0;
  std::size_t recompile = 0;
  std::size_t version5 = 0;
  std::size_t notChecked = 0;
};

class ReportReader {
 public:
  using FindingHandler = std::function<void(const Finding&)>;

  explicit ReportReader(FindingHandler onFinding);

  // The next bytes of the report. False once the report is known not to be one: the rest
  // need not be read.
  bool Read(std::string_view bytes);
  // The report has ended; says how.
  ReportEnd Finish();

  // What the report has said so far of the machine it was made on, and when.
  const std::optional<std::string>& Machine() const { return machine_; }
  const std::optional<std::string>& Time() const { return time_; }

 private:
  enum class Stage { Banner, Start, Scan, Body, Closing, End, Failed };
  enum class Section { File, Catalog, Hosts };
  // A line the report has announced must come next.
  enum class Expect {
    Nothing,
    HostsMachine,         // after the host scan's first line
    PrivilegeError,       // the second line of the privilege error
    FineRetained,         // the flag lines after "is fine..."
    FineUnattended,       //
    RecompileUnattended,  // the second flag line of a DLL to recompile
    RecompileLine,        // and its "<<< Please Recompile!" line
    NotCheckedAfterOpen,  // the "Not checked:" line after "Unable to open: "
  };

  void TakeLine(std::string_view line);
  void ReadLine(std::string_view line);
  void ReadStart(std::string_view line);
  void ReadScanStart(std::string_view line);
  void ReadBody(std::string_view line);
  bool ReadExpected(std::string_view line);
  bool ReadHostHeading(std::string_view line);
  bool ReadApplicationHeading(std::string_view line);
  bool ReadCheckLine(std::string_view line, bool afterEmptyLine);
  bool ReadMachineLine(std::string_view line, std::string_view lead);
  bool ReadNotChecked(std::string_view line);
  void TakePackage(std::string_view name);
  bool InBlock() const;
  void CloseBlocks(std::string_view line);
  void BeginClosing(std::string_view line);
  void ReadClosing(std::string_view line);
  void Emit(Verdict verdict, std::string_view path, std::optional<bool> retained,
            std::optional<bool> unattended, std::optional<std::string_view> error);
  void Fail(std::string reason);

  FindingHandler onFinding_;
  Stage stage_ = Stage::Banner;
  Section section_ = Section::File;
  Expect expect_ = Expect::Nothing;
  std::string partial_;  // the bytes of a line whose end has not come yet
  std::size_t lineNumber_ = 0;
  std::optional<bool> crlf_;  // how the report's lines end, from its first line
  std::size_t bannerLine_ = 0;
  std::size_t blankRun_ = 0;  // empty lines since the last line with text
  bool openHeading_ = false;  // the last line was a host heading left open, and ended empty
  std::optional<std::string> machine_;
  std::optional<std::string> time_;
  bool privilegeRefused_ = false;
  bool sawCatalog_ = false;
  // The block the lines belong to: a host and its packages, or a catalog application.
  bool hostOpen_ = false;
  bool takingPackages_ = false;
  std::string host_;
  std::uint32_t pid_ = 0;
  std::string packages_;
  std::optional<std::string> application_;
  // The verdict being read: its path and first flag.
  std::string pendingPath_;
  bool pendingRetained_ = false;
  bool pendingUnattended_ = false;
  // The closing text these findings call for, and how much of it has been read.
  std::vector<std::string> closing_;
  std::size_t closingRead_ = 0;
  ReportEnd end_;
};
