#include "summary/fleet_output.h"

namespace {

template <typename T>
FieldValue ValueOf(const std::optional<T>& value) {
  if (!value.has_value()) return std::monostate{};
  return *value;
}

}  // namespace

const FindingField FINDING_FIELDS[15] = {
    {"kind",
     [](const ReportSource&, const Finding&) -> FieldValue { return std::string_view("finding"); }},
    {"server",
     [](const ReportSource& report, const Finding&) -> FieldValue { return report.server; }},
    {"report",
     [](const ReportSource& report, const Finding&) -> FieldValue { return report.path; }},
    {"machine", [](const ReportSource&, const Finding& f) { return ValueOf(f.machine); }},
    {"time", [](const ReportSource&, const Finding& f) { return ValueOf(f.time); }},
    {"source",
     [](const ReportSource&, const Finding& f) -> FieldValue { return NameOf(f.source); }},
    {"host", [](const ReportSource&, const Finding& f) { return ValueOf(f.host); }},
    {"pid",
     [](const ReportSource&, const Finding& f) -> FieldValue {
       if (!f.pid.has_value()) return std::monostate{};
       return std::uint64_t{*f.pid};
     }},
    {"package", [](const ReportSource&, const Finding& f) { return ValueOf(f.package); }},
    {"application", [](const ReportSource&, const Finding& f) { return ValueOf(f.application); }},
    {"path", [](const ReportSource&, const Finding& f) -> FieldValue { return f.path; }},
    {"verdict",
     [](const ReportSource&, const Finding& f) -> FieldValue { return NameOf(f.verdict); }},
    {"retained_in_memory",
     [](const ReportSource&, const Finding& f) { return ValueOf(f.retainedInMemory); }},
    {"unattended_execution",
     [](const ReportSource&, const Finding& f) { return ValueOf(f.unattendedExecution); }},
    {"error", [](const ReportSource&, const Finding& f) { return ValueOf(f.error); }},
};
