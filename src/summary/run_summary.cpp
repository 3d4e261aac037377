#include "summary/run_summary.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/standard_io.h"
#include "summary/fleet_summary.h"
#include "summary/writers.h"

namespace {

constexpr std::string_view USAGE[] = {
    "usage: quentix-summary [--json FILE] [--csv FILE] [--html FILE] REPORT|FOLDER...",
    "Reads QUENTIX reports, one file per server (a FOLDER stands for every *.txt file in it),",
    "and says of each server whether it is clean, has DLLs to recompile, or was not fully",
    "checked. Exit status: 0 all clean, 1 DLLs to recompile, 2 a report incomplete or unreadable.",
};

struct CommandLine {
  std::optional<std::string> json, csv, html;
  std::vector<std::string> inputs;
};

// The command line, or nothing when it is not one this program takes.
std::optional<CommandLine> ParseCommandLine(int argc, const char* const* argv) {
  CommandLine line;
  for (int i = 1; i < argc; ++i) {
    const std::string_view word = argv[i];
    std::optional<std::string>* output = word == "--json"   ? &line.json
                                         : word == "--csv"  ? &line.csv
                                         : word == "--html" ? &line.html
                                                            : nullptr;
    if (output != nullptr) {
      if (output->has_value() || i + 1 == argc) return std::nullopt;
      output->emplace(argv[++i]);
    } else if (word.starts_with("--") || word.empty()) {
      return std::nullopt;
    } else {
      line.inputs.emplace_back(word);
    }
  }
  if (line.inputs.empty()) return std::nullopt;
  return line;
}

void PrintError(std::string_view text) {
  const std::string line = std::string(text).append(SYSTEM_LINE_END);
  WriteAllToStandardError(line.data(), line.size());
}

}  // namespace

int RunSummary(int argc, const char* const* argv) {
  const std::optional<CommandLine> line = ParseCommandLine(argc, argv);
  if (!line.has_value()) {
    for (std::string_view usage : USAGE) PrintError(usage);
    return EXIT_USAGE;
  }
  // Every output is made before any report is read, so that a path that cannot be written
  // costs no reading.
  std::vector<std::unique_ptr<OutputFile>> files;
  std::vector<std::unique_ptr<FleetWriter>> writers;
  const auto add = [&](const std::optional<std::string>& path, auto make) {
    if (!path.has_value()) return true;
    files.push_back(std::make_unique<OutputFile>(*path));
    std::string error;
    if (!files.back()->IsOpen() && !files.back()->Close(error)) {
      PrintError("quentix-summary: " + error);
      return false;
    }
    writers.push_back(make(*files.back()));
    return true;
  };
  if (!add(line->json, MakeJsonLinesWriter) || !add(line->csv, MakeCsvWriter) ||
      !add(line->html, MakeHtmlWriter))
    return EXIT_OUTPUT_FAILED;

  std::vector<FleetWriter*> outputs;
  for (const auto& writer : writers) outputs.push_back(writer.get());
  FleetSummary summary(outputs);
  for (const std::string& input : line->inputs) summary.SummariseInput(input);
  return summary.Finish();
}
