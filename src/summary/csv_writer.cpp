// RFC 4180: CR LF after every record, a field quoted where it must be. A field the report
// does not give is empty; an empty text is "" so that the two can be told apart.
#include <string>

#include "summary/output_text.h"
#include "summary/writers.h"

namespace {

std::string CsvValue(const FieldValue& value) {
  if (const auto* text = std::get_if<std::string_view>(&value)) return CsvField(*text);
  if (const auto* number = std::get_if<std::uint64_t>(&value)) return std::to_string(*number);
  if (const auto* flag = std::get_if<bool>(&value)) return *flag ? "true" : "false";
  return {};
}

class CsvWriter final : public FleetWriter {
 public:
  explicit CsvWriter(OutputFile& file) : file_(file) {
    std::string header;
    for (const FindingField& field : FINDING_FIELDS)
      header.append(header.empty() ? "" : ",").append(field.name);
    file_.Write(header + "\r\n");
  }

  void WriteFinding(const ReportSource& report, const Finding& finding) override {
    std::string record;
    for (const FindingField& field : FINDING_FIELDS) {
      if (&field != FINDING_FIELDS) record += ',';
      record += CsvValue(field.value(report, finding));
    }
    file_.Write(record + "\r\n");
  }

  void WriteReport(const ReportSource&, const ReportOutcome&) override {}

  bool Finish(std::string& error) override { return file_.Close(error); }

 private:
  OutputFile& file_;
};

}  // namespace

std::unique_ptr<FleetWriter> MakeCsvWriter(OutputFile& file) {
  return std::make_unique<CsvWriter>(file);
}
