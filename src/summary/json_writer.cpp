// JSON Lines, UTF-8, each line ending in LF.
#include <string>

#include "summary/output_text.h"
#include "summary/writers.h"

namespace {

class JsonObject {
 public:
  JsonObject& Add(std::string_view name, const FieldValue& value) {
    text_ += text_.size() == 1 ? "\"" : ",\"";
    text_.append(name).append("\":");
    if (const auto* text = std::get_if<std::string_view>(&value))
      AppendJsonString(text_, *text);
    else if (const auto* number = std::get_if<std::uint64_t>(&value))
      text_ += std::to_string(*number);
    else if (const auto* flag = std::get_if<bool>(&value))
      text_ += *flag ? "true" : "false";
    else
      text_ += "null";
    return *this;
  }
  // The object's line, once every field is in.
  const std::string& Line() { return text_ += "}\n"; }

 private:
  std::string text_ = "{";
};

FieldValue OptionalText(const std::optional<std::string>& text) {
  if (!text.has_value()) return std::monostate{};
  return std::string_view(*text);
}

class JsonLinesWriter final : public FleetWriter {
 public:
  explicit JsonLinesWriter(OutputFile& file) : file_(file) {}

  void WriteFinding(const ReportSource& report, const Finding& finding) override {
    JsonObject object;
    for (const FindingField& field : FINDING_FIELDS)
      object.Add(field.name, field.value(report, finding));
    file_.Write(object.Line());
  }

  void WriteReport(const ReportSource& report, const ReportOutcome& outcome) override {
    const bool whole =
        outcome.state != ReportState::CutShort && outcome.state != ReportState::NotAReport;
    JsonObject object;
    object.Add("kind", std::string_view("report"))
        .Add("server", std::string_view(report.server))
        .Add("report", std::string_view(report.path))
        .Add("machine", OptionalText(outcome.machine))
        .Add("time", OptionalText(outcome.time))
        .Add("state", NameOf(outcome.state))
        .Add("recompile", std::uint64_t{outcome.recompile})
        .Add("not_checked", std::uint64_t{outcome.notChecked})
        .Add("findings", std::uint64_t{outcome.findings})
        .Add("line", whole ? FieldValue{} : FieldValue{std::uint64_t{outcome.line}})
        .Add("reason", whole ? FieldValue{} : FieldValue{std::string_view(outcome.reason)});
    file_.Write(object.Line());
  }

  bool Finish(std::string& error) override { return file_.Close(error); }

 private:
  OutputFile& file_;
};

}  // namespace

std::unique_ptr<FleetWriter> MakeJsonLinesWriter(OutputFile& file) {
  return std::make_unique<JsonLinesWriter>(file);
}
