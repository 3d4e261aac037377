// The same judgement made by the general-purpose pattern scanner YARA, compiled once and run
// in-process over the same page-cached files as CheckDllFile, next to the bare cost of open,
// read(64000) and close. The corpus is the PE DLLs that Wine installs plus generated samples
// with and without a project header. Items per second is files per second.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>
#include <yara.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "report/report.h"
#include "inspect/dll_check.h"
#include "inspect/project_header.h"
#include "sample_dll.h"
#include "sample_files.h"

namespace {

namespace fs = std::filesystem;

// First signature within the first 64000 bytes, its flags byte 60 bytes on, and the
// version-5 rule: the last runtime name before the signature decides.
constexpr char kRules[] = R"(
rule fine {
  strings:
    $sig = "BR5!"
  condition:
    $sig and @sig[1] + 60 < 64000 and @sig[1] + 60 < filesize and
    (uint8(@sig[1] + 60) & 0x14) == 0x14
}
rule version5 {
  strings:
    $sig = "BR5!"
    $v5 = "BRANVM50.DLL"
    $v6 = "BRANVM60.DLL"
  condition:
    $sig and @sig[1] + 60 < 64000 and @sig[1] + 60 < filesize and
    (uint8(@sig[1] + 60) & 0x14) != 0x14 and
    for any i in (1..#v5) : (
      @v5[i] < @sig[1] and
      (#v6 == 0 or for all j in (1..#v6) : (@v6[j] < @v5[i] or @v6[j] > @sig[1])))
}
rule recompile {
  strings:
    $sig = "BR5!"
  condition:
    $sig and @sig[1] + 60 < 64000 and @sig[1] + 60 < filesize and
    (uint8(@sig[1] + 60) & 0x14) != 0x14 and not version5
}
)";

const char* const kWineDlls = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows";

// The PE DLLs that Wine installs, and 100 generated samples of every kind in turn.
class Corpus : public SampleFiles {
 public:
  Corpus() : SampleFiles("peer") {
    if (fs::is_directory(kWineDlls))
      for (const fs::directory_entry& entry : fs::directory_iterator(kWineDlls))
        if (entry.path().extension() == ".dll") AddExisting(entry.path().string());
    const SampleKind kinds[] = {SampleKind::Fine, SampleKind::Recompile, SampleKind::Version5,
                                SampleKind::NoHeader};
    for (int i = 0; i < 100; ++i) Add(MakeSampleDll(kinds[i % 4]));
  }
};

const Corpus& TheCorpus() {
  static const Corpus corpus;
  return corpus;
}

class CompiledRules {
 public:
  CompiledRules() {
    if (yr_initialize() != ERROR_SUCCESS) throw std::runtime_error("yr_initialize");
    YR_COMPILER* compiler = nullptr;
    if (yr_compiler_create(&compiler) != ERROR_SUCCESS) throw std::runtime_error("compiler");
    if (yr_compiler_add_string(compiler, kRules, nullptr) != 0 ||
        yr_compiler_get_rules(compiler, &rules_) != ERROR_SUCCESS)
      throw std::runtime_error("the rules do not compile");
    yr_compiler_destroy(compiler);
  }
  ~CompiledRules() {
    yr_rules_destroy(rules_);
    yr_finalize();
  }
  YR_RULES* Rules() const { return rules_; }

 private:
  YR_RULES* rules_ = nullptr;
};

struct Verdicts {
  int fine = 0, version5 = 0, recompile = 0;
};

int CountMatches(YR_SCAN_CONTEXT*, int message, void* data, void* context) {
  if (message != CALLBACK_MSG_RULE_MATCHING) return CALLBACK_CONTINUE;
  const std::string name = static_cast<YR_RULE*>(data)->identifier;
  auto* verdicts = static_cast<Verdicts*>(context);
  if (name == "fine") ++verdicts->fine;
  if (name == "version5") ++verdicts->version5;
  if (name == "recompile") ++verdicts->recompile;
  return CALLBACK_CONTINUE;
}

// Counts the verdicts in the report text that goes by.
bool CountReport(const char* data, std::size_t size, void* context) {
  const std::string_view text(data, size);
  auto* verdicts = static_cast<Verdicts*>(context);
  if (text.find(" is fine...") != std::string_view::npos) ++verdicts->fine;
  if (text.find(" is a BR5 file...") != std::string_view::npos) ++verdicts->version5;
  if (text.find(" <<< Please Recompile!") != std::string_view::npos) ++verdicts->recompile;
  return true;
}

// Both scanners must agree on the corpus, or the comparison means nothing.
void ShowVerdicts(benchmark::State& state, const Verdicts& verdicts) {
  state.counters["fine"] = verdicts.fine;
  state.counters["bR5"] = verdicts.version5;
  state.counters["recompile"] = verdicts.recompile;
}

// Whole files, since YARA reads all of each.
void WarmPageCache(const std::vector<std::string>& paths) {
  static unsigned char buffer[SCAN_LIMIT];
  for (const std::string& path : paths) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) continue;
    while (::read(fd, buffer, sizeof buffer) > 0) {
    }
    ::close(fd);
  }
}

void BM_Peer_CheckDllFile(benchmark::State& state) {
  const std::vector<std::string>& paths = TheCorpus().Paths();
  WarmPageCache(paths);
  Verdicts verdicts;
  Report.Redirect(CountReport, &verdicts);
  for (const std::string& path : paths) CheckDllFile(path.c_str(), SINGLE_DLL_TAG);
  ShowVerdicts(state, verdicts);
  for (auto _ : state)
    for (const std::string& path : paths) CheckDllFile(path.c_str(), SINGLE_DLL_TAG);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(paths.size()));
}

void BM_Peer_Yara(benchmark::State& state) {
  const std::vector<std::string>& paths = TheCorpus().Paths();
  WarmPageCache(paths);
  static const CompiledRules rules;
  Verdicts verdicts;
  for (const std::string& path : paths)
    yr_rules_scan_file(rules.Rules(), path.c_str(), SCAN_FLAGS_FAST_MODE, CountMatches, &verdicts,
                       0);
  ShowVerdicts(state, verdicts);
  for (auto _ : state)
    for (const std::string& path : paths)
      yr_rules_scan_file(rules.Rules(), path.c_str(), SCAN_FLAGS_FAST_MODE, CountMatches, &verdicts,
                         0);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(paths.size()));
}

// YARA given only what the check reads: the first 64000 bytes, read the same way.
void BM_Peer_YaraFirst64000(benchmark::State& state) {
  const std::vector<std::string>& paths = TheCorpus().Paths();
  WarmPageCache(paths);
  static const CompiledRules rules;
  static unsigned char buffer[SCAN_LIMIT];
  auto scan = [&](const std::string& path, Verdicts& verdicts) {
    int fd = ::open(path.c_str(), O_RDONLY);
    const ssize_t got = fd < 0 ? 0 : ::read(fd, buffer, sizeof buffer);
    if (fd >= 0) ::close(fd);
    yr_rules_scan_mem(rules.Rules(), buffer, got > 0 ? static_cast<std::size_t>(got) : 0,
                      SCAN_FLAGS_FAST_MODE, CountMatches, &verdicts, 0);
  };
  Verdicts verdicts;
  for (const std::string& path : paths) scan(path, verdicts);
  ShowVerdicts(state, verdicts);
  for (auto _ : state)
    for (const std::string& path : paths) scan(path, verdicts);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(paths.size()));
}

void BM_Peer_RawOpenReadClose(benchmark::State& state) {
  const std::vector<std::string>& paths = TheCorpus().Paths();
  WarmPageCache(paths);
  for (auto _ : state)
    for (const std::string& path : paths) OpenReadClose(path);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(paths.size()));
}

BENCHMARK(BM_Peer_RawOpenReadClose)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Peer_CheckDllFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Peer_Yara)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Peer_YaraFirst64000)->Unit(benchmark::kMillisecond);

}  // namespace
