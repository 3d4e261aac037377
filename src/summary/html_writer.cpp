// One self-contained page: its style is inline, it runs no script and loads nothing, so it
// works from a file:// address with no network, and prints as it shows.
//
// The page holds one row per server and each DLL to recompile once, with its servers. The items
// not checked, which can be many, wait in a temporary file until the page is written.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "report/ascii_text.h"
#include "summary/output_text.h"
#include "summary/writers.h"

namespace {

constexpr std::string_view PAGE_HEAD = R"(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta http-equiv="Content-Security-Policy" content="default-src 'none'; style-src 'unsafe-inline'">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>QUENTIX fleet summary</title>
<style>
:root { --clean: #15803d; --recompile: #b91c1c; --incomplete: #b45309; --cut-short: #7e22ce;
  --not-a-report: #475569; --ink: #1e293b; --rule: #cbd5e1; --shade: #f1f5f9; }
* { box-sizing: border-box; }
body { margin: 0; font: 14px/1.45 "Segoe UI", "DejaVu Sans", Arial, sans-serif; color: var(--ink);
  background: #e2e8f0; }
header { background: #0f172a; color: #f8fafc; padding: 20px 32px 24px; }
h1 { margin: 0 0 4px; font-size: 22px; letter-spacing: .02em; }
header p { margin: 0 0 16px; color: #cbd5e1; }
.tiles { display: flex; flex-wrap: wrap; gap: 12px; margin: 0; padding: 0; list-style: none; }
.tile { min-width: 150px; padding: 10px 16px; border-radius: 6px; background: #1e293b;
  border-left: 6px solid var(--tone); }
.tile .count { display: block; font-size: 28px; font-weight: 700; }
.tile .what { color: #e2e8f0; }
main { padding: 8px 32px 32px; }
section { margin-top: 24px; background: #fff; border-radius: 6px; padding: 16px 20px;
  box-shadow: 0 1px 2px rgba(15, 23, 42, .15); }
h2 { margin: 0 0 12px; font-size: 17px; }
h2 .count { color: #64748b; font-weight: 400; }
table { width: 100%; border-collapse: collapse; }
th, td { text-align: left; vertical-align: top; padding: 6px 10px; border-bottom: 1px solid var(--rule); }
th { background: var(--shade); font-weight: 600; white-space: nowrap; }
td.server, td.time { white-space: nowrap; }
td.number, th.number { text-align: right; }
.path { font-family: "Consolas", "DejaVu Sans Mono", monospace; font-size: 13px; overflow-wrap: anywhere; }
.state { display: inline-block; padding: 1px 10px; border-radius: 999px; color: #fff;
  background: var(--tone); font-weight: 600; white-space: nowrap; }
.state-clean { --tone: var(--clean); }
.state-recompile { --tone: var(--recompile); }
.state-incomplete { --tone: var(--incomplete); }
.state-cut-short { --tone: var(--cut-short); }
.state-not-a-report { --tone: var(--not-a-report); }
tr.state-clean td:first-child, tr.state-recompile td:first-child, tr.state-incomplete td:first-child,
tr.state-cut-short td:first-child, tr.state-not-a-report td:first-child { border-left: 5px solid var(--tone); }
.note { color: #475569; }
.none { margin: 0; color: #475569; }
footer { padding: 0 32px 24px; color: #475569; font-size: 12px; }
@media print {
  body { background: #fff; font-size: 10pt; }
  header { background: #fff; color: #000; padding: 0 0 8pt; border-bottom: 2pt solid #000; }
  header p, .tile .what { color: #000; }
  .tile { min-width: 0; padding: 3pt 10pt; background: #fff; border: 1pt solid #000;
    border-left: 6pt solid var(--tone); }
  .tile .count { display: inline; font-size: 14pt; margin-right: 6pt; }
  main, footer { padding: 0; }
  section { box-shadow: none; padding: 0; margin-top: 14pt; }
  .state { color: #000; background: #fff; border: 1.5pt solid var(--tone); }
  tr { break-inside: avoid; }
  h2 { break-after: avoid; }
  * { -webkit-print-color-adjust: exact; print-color-adjust: exact; }
}
</style>
</head>
<body>
)";

// Worst first: what cannot be trusted, then what is to be done, then what is clean.
constexpr ReportState STATE_ORDER[] = {ReportState::NotAReport, ReportState::CutShort,
                                       ReportState::Incomplete, ReportState::Recompile,
                                       ReportState::Clean};

std::string StateTitle(ReportState state) {
  std::string title = WordsOf(state);
  title[0] = static_cast<char>(title[0] - 'a' + 'A');
  return title;
}

std::size_t Severity(ReportState state) {
  return static_cast<std::size_t>(std::find(std::begin(STATE_ORDER), std::end(STATE_ORDER), state) -
                                  std::begin(STATE_ORDER));
}

std::string Cell(std::string_view html, std::string_view classes = "") {
  if (classes.empty()) return "<td>" + std::string(html) + "</td>";
  return "<td class=\"" + std::string(classes) + "\">" + std::string(html) + "</td>";
}

std::string Plural(std::size_t count, std::string_view one, std::string_view many) {
  return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

// Where in the run an item was not checked.
std::string PlaceOf(const Finding& finding) {
  std::string place(NameOf(finding.source));
  if (finding.host.has_value()) {
    place += ": " + HtmlText(*finding.host);
    if (finding.pid.has_value()) place += " (PID " + std::to_string(*finding.pid) + ")";
    if (finding.package.has_value()) place += ", " + HtmlText(*finding.package);
  }
  if (finding.application.has_value()) place += ": application " + HtmlText(*finding.application);
  return place;
}

class HtmlWriter final : public FleetWriter {
 public:
  explicit HtmlWriter(OutputFile& file) : file_(file), spill_(std::tmpfile()) {}
  ~HtmlWriter() override {
    if (spill_ != nullptr) std::fclose(spill_);
  }
  HtmlWriter(const HtmlWriter&) = delete;
  HtmlWriter& operator=(const HtmlWriter&) = delete;

  void WriteFinding(const ReportSource& report, const Finding& finding) override {
    if (finding.verdict == Verdict::Recompile) RecompileOn(finding.path, report.server);
    if (finding.verdict != Verdict::NotChecked) return;
    ++notChecked_;
    const std::string row = "<tr>" + Cell(HtmlText(report.server)) + Cell(PlaceOf(finding)) +
                            Cell(HtmlText(finding.path), "path") +
                            Cell(HtmlText(finding.error.value_or(""))) + "</tr>\n";
    if (spill_ == nullptr || std::fwrite(row.data(), 1, row.size(), spill_) != row.size())
      spillFailed_ = true;
  }

  void WriteReport(const ReportSource& report, const ReportOutcome& outcome) override {
    servers_.push_back({report, outcome});
  }

  bool Finish(std::string& error) override {
    if (spillFailed_) {
      std::string ignored;
      file_.Close(ignored);
      error = "cannot write " + PrintableText(file_.Path()) +
              " (no room for a temporary file of the items not checked)";
      return false;
    }
    file_.Write(PAGE_HEAD);
    WriteTotals();
    file_.Write("<main>\n");
    WriteServers();
    WriteRecompile();
    WriteNotChecked();
    file_.Write("</main>\n<footer>Made by quentix-summary from " +
                Plural(servers_.size(), "report", "reports") + ".</footer>\n</body>\n</html>\n");
    return file_.Close(error);
  }

 private:
  struct Server {
    ReportSource report;
    ReportOutcome outcome;
  };

  void WriteTotals() {
    std::size_t counts[std::size(STATE_ORDER)] = {};
    for (const Server& server : servers_) ++counts[Severity(server.outcome.state)];
    file_.Write("<header>\n<h1>QUENTIX fleet summary</h1>\n<p>" +
                Plural(servers_.size(), "report", "reports") + ", " +
                Plural(recompile_.size(), "DLL", "DLLs") + " to recompile, " +
                Plural(notChecked_, "item", "items") + " not checked.</p>\n<ul class=\"tiles\">\n");
    for (ReportState state : STATE_ORDER)
      file_.Write("<li class=\"tile state-" + std::string(NameOf(state)) +
                  "\"><span class=\"count\">" + std::to_string(counts[Severity(state)]) +
                  "</span><span class=\"what\">" + StateTitle(state) + "</span></li>\n");
    file_.Write("</ul>\n</header>\n");
  }

  void WriteServers() {
    std::stable_sort(servers_.begin(), servers_.end(), [](const Server& a, const Server& b) {
      return Severity(a.outcome.state) < Severity(b.outcome.state);
    });
    file_.Write(
        "<section id=\"servers\">\n<h2>Servers</h2>\n<table>\n<thead><tr><th>Server</th>"
        "<th>State</th><th class=\"number\">To recompile</th><th class=\"number\">Not checked</th>"
        "<th>Machine</th><th>Report made</th><th>Report</th></tr></thead>\n<tbody>\n");
    for (const Server& server : servers_) {
      const ReportOutcome& outcome = server.outcome;
      const std::string state(NameOf(outcome.state));
      std::string words = "<span class=\"state\">" + StateTitle(outcome.state) + "</span>";
      if (!outcome.reason.empty()) {
        const std::string where =
            outcome.line == 0 ? "" : "line " + std::to_string(outcome.line) + ": ";
        words += " <span class=\"note\">" + where + HtmlText(outcome.reason) + "</span>";
      }
      file_.Write("<tr class=\"state-" + state + "\">" +
                  Cell(HtmlText(server.report.server), "server") + Cell(words) +
                  Cell(std::to_string(outcome.recompile), "number") +
                  Cell(std::to_string(outcome.notChecked), "number") +
                  Cell(HtmlText(outcome.machine.value_or(""))) +
                  Cell(HtmlText(outcome.time.value_or("")), "time") +
                  Cell(HtmlText(server.report.path), "path") + "</tr>\n");
    }
    file_.Write("</tbody>\n</table>\n</section>\n");
  }

  // Each DLL once, with the servers it is to be recompiled on: the most widely loaded first.
  void WriteRecompile() {
    file_.Write("<section id=\"recompile\">\n<h2>DLLs to recompile <span class=\"count\">(" +
                std::to_string(recompile_.size()) + ")</span></h2>\n");
    if (recompile_.empty()) {
      file_.Write("<p class=\"none\">No report read names a DLL to recompile.</p>\n</section>\n");
      return;
    }
    // Each DLL's servers in the order of their names, each once.
    for (auto& [path, servers] : recompile_) {
      std::sort(servers.begin(), servers.end(), [&](std::uint32_t a, std::uint32_t b) {
        return serverNames_[a] < serverNames_[b];
      });
      servers.erase(std::unique(servers.begin(), servers.end()), servers.end());
    }
    std::vector<const std::pair<const std::string, std::vector<std::uint32_t>>*> dlls;
    for (const auto& dll : recompile_) dlls.push_back(&dll);
    std::stable_sort(dlls.begin(), dlls.end(), [](const auto* a, const auto* b) {
      return a->second.size() > b->second.size();
    });
    file_.Write(
        "<table>\n<thead><tr><th>DLL</th><th class=\"number\">Servers</th><th>On</th></tr>"
        "</thead>\n<tbody>\n");
    for (const auto* dll : dlls) {
      std::string servers;
      for (std::uint32_t server : dll->second)
        servers += (servers.empty() ? "" : ", ") + HtmlText(serverNames_[server]);
      file_.Write("<tr>" + Cell(HtmlText(dll->first), "path") +
                  Cell(std::to_string(dll->second.size()), "number") + Cell(servers) + "</tr>\n");
    }
    file_.Write("</tbody>\n</table>\n</section>\n");
  }

  void WriteNotChecked() {
    file_.Write("<section id=\"not-checked\">\n<h2>Not checked <span class=\"count\">(" +
                std::to_string(notChecked_) + ")</span></h2>\n");
    if (notChecked_ == 0) {
      file_.Write(
          "<p class=\"none\">No report read names an item it could not check.</p>\n"
          "</section>\n");
      return;
    }
    file_.Write(
        "<table>\n<thead><tr><th>Server</th><th>Where</th><th>What</th><th>Error</th>"
        "</tr></thead>\n<tbody>\n");
    std::rewind(spill_);
    char buffer[16 * 1024];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, spill_)) > 0;)
      file_.Write(std::string_view(buffer, got));
    if (std::ferror(spill_))
      file_.Write(
          "<tr><td colspan=\"4\">The rest of the items could not be read back.</td></tr>\n");
    file_.Write("</tbody>\n</table>\n</section>\n");
  }

  OutputFile& file_;
  std::FILE* spill_;
  bool spillFailed_ = false;
  std::size_t notChecked_ = 0;
  // Where each DLL is to be recompiled, by the servers' numbers: a fleet's servers, each named
  // once however many DLLs it has, and without regard to letter case, as Windows names them.
  void RecompileOn(std::string_view path, const std::string& server) {
    const auto [named, added] = serverNumbers_.try_emplace(
        LowerAsciiText(server), static_cast<std::uint32_t>(serverNames_.size()));
    if (added) serverNames_.push_back(server);
    auto dll = recompile_.find(path);
    if (dll == recompile_.end()) dll = recompile_.emplace(path, std::vector<std::uint32_t>{}).first;
    std::vector<std::uint32_t>& on = dll->second;
    if (on.empty() || on.back() != named->second) on.push_back(named->second);
  }

  std::vector<Server> servers_;
  std::map<std::string, std::uint32_t> serverNumbers_;  // by the name in lower case
  std::vector<std::string> serverNames_;                // as first seen
  std::map<std::string, std::vector<std::uint32_t>, std::less<>> recompile_;
};

}  // namespace

std::unique_ptr<FleetWriter> MakeHtmlWriter(OutputFile& file) {
  return std::make_unique<HtmlWriter>(file);
}
