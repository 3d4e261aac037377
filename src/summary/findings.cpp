#include "summary/findings.h"

std::string_view NameOf(Source source) {
  switch (source) {
    case Source::File:
      return "file";
    case Source::Host:
      return "host";
    case Source::Catalog:
      return "catalog";
  }
  return {};
}

std::string_view NameOf(Verdict verdict) {
  switch (verdict) {
    case Verdict::Fine:
      return "fine";
    case Verdict::Recompile:
      return "recompile";
    case Verdict::Version5:
      return "br5";
    case Verdict::NotChecked:
      return "not-checked";
  }
  return {};
}

std::string_view NameOf(ReportState state) {
  switch (state) {
    case ReportState::Clean:
      return "clean";
    case ReportState::Recompile:
      return "recompile";
    case ReportState::Incomplete:
      return "incomplete";
    case ReportState::CutShort:
      return "cut-short";
    case ReportState::NotAReport:
      return "not-a-report";
  }
  return {};
}

std::string WordsOf(ReportState state) {
  std::string words(NameOf(state));
  for (char& c : words)
    if (c == '-') c = ' ';
  return words;
}
