// RFC 4180: CR LF after every record, a field quoted where it must be. A field the report
// does not give is empty; an empty text is "" so that the two can be told apart.
#include <string>

#include "summary/output_text.h"
#include "summary/writers.h"

namespace {

void AppendCsvValue(std::string& record, const FieldValue& value) {
  if (const auto* text = std::get_if<std::string_view>(&value))
    AppendCsvField(record, *text);
  else if (const auto* number = std::get_if<std::uint64_t>(&value))
    record += std::to_string(*number);
  else if (const auto* flag = std::get_if<bool>(&value))
    record += *flag ? "true" : "false";
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
      AppendCsvValue(record, field.value(report, finding));
    }
    file_.Write(record.append("\r\n"));
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
