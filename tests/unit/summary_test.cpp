// The reader of reports on small inputs: what each form of line gives, and one input per way a
// file can fail to be a whole report; the outputs' text; the page's count of servers. The golden
// reports and reports of the built quentix are read back by the summary's round trip
// (tests/summary).
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "summary/output_text.h"
#include "summary/report_reader.h"
#include "summary/writers.h"
#include "support/temp_folder.h"

namespace {

const std::string BANNER =
    "\nQuentix Version 1.2.1a\nFerrowlake Server Tools, December 2026\n"
    "Written by the Quentix maintainers\n\n";
const std::string ALL_CLEAR = "\n\nQUENTIX has finished scanning and no errors were detected\n";
const std::string SCAN = "Mon Dec 07 10:11:12 2026\n\n";
const std::string HOSTS =
    "Scanning IIS, all Medium & High Isolation web applications\n"
    "and all running COM+ server packages on WEB01...\n\n";
const std::string FINE =
    "\n/a.dll is fine...\n      Retained In Memory   :ON \n"
    "      Unattended Execution :ON \n";
const std::string RECOMPILE =
    "      Retained In Memory   :OFF \n      Unattended Execution :ON \n"
    "       /b.dll <<< Please Recompile!\n";

std::string Incomplete(int count) {
  return "\n\n* CHECK INCOMPLETE\nQUENTIX could not check " + std::to_string(count) +
         (count == 1 ? " item. It is" : " items. Each is") +
         " named above on a line that\nbegins with \"Not checked:\", with the error that "
         "stopped the check.\nThis report says nothing about what was not checked: run QUENTIX "
         "again\nonce the cause is put right.\n";
}

std::string RecompileNote() {
  return "\n\n* IMPORTANT NOTE \nQUENTIX has detected one or more Brannic DLL's that have \nnot "
         "been compiled properly for use in a server process such as IIS or COM+.\nPlease make "
         "note of the DLL's listed above and re-compile these DLL's with  \n'Unattended "
         "Execution' and 'Retain in Memory'. \n\nFor more information on these settings please "
         "refer to the \nKB articles listed below:\n\nQXKB-0101: BR DLLs become unstable in "
         "COM+ when 'Retained In Memory' is not set\nhttps://support.example.com/kb/qxkb-0101\n\n"
         "QXKB-0102: Threading issues with BR6 components in server processes\n"
         "https://support.example.com/kb/qxkb-0102\n";
}

std::string Optional(const std::optional<std::string_view>& text) {
  return text.has_value() ? std::string(*text) : "-";
}

std::string Flag(const std::optional<bool>& flag) {
  return !flag.has_value() ? "-" : *flag ? "on" : "off";
}

// A finding in one line: source, verdict, path, and what the report says around it.
std::string Describe(const Finding& f) {
  return std::string(NameOf(f.source)) + " " + std::string(NameOf(f.verdict)) + " [" +
         std::string(f.path) + "] host=" + Optional(f.host) +
         " pid=" + (f.pid ? std::to_string(*f.pid) : "-") + " package=" + Optional(f.package) +
         " application=" + Optional(f.application) + " flags=" + Flag(f.retainedInMemory) + "/" +
         Flag(f.unattendedExecution) + " error=" + Optional(f.error) +
         " machine=" + Optional(f.machine);
}

struct Reading {
  ReportEnd end;
  std::vector<std::string> findings;
};

// Reads text whole, or in pieces of the given size.
Reading Read(const std::string& text, std::size_t piece = std::string::npos) {
  Reading reading;
  ReportReader reader([&](const Finding& f) { reading.findings.push_back(Describe(f)); });
  for (std::size_t at = 0; at < text.size() && reader.Read(text.substr(at, piece)); at += piece) {
    if (piece == std::string::npos) break;
  }
  reading.end = reader.Finish();
  return reading;
}

std::string Crlf(const std::string& text) {
  std::string crlf;
  for (char c : text) crlf += c == '\n' ? "\r\n" : std::string(1, c);
  return crlf;
}

TEST(ReportReader, ReadsEachModeToItsFindings) {
  const struct {
    std::string text;
    ReportState state;
    std::vector<std::string> findings;
  } cases[] = {
      {BANNER + FINE + ALL_CLEAR,
       ReportState::Clean,
       {"file fine [/a.dll] host=- pid=- package=- application=- flags=on/on error=- machine=-"}},
      {BANNER + "\n/c\\x0Dd.dll is a BR5 file..." + ALL_CLEAR,
       ReportState::Clean,
       {"file br5 [/c\\x0Dd.dll] host=- pid=- package=- application=- flags=-/- error=- "
        "machine=-"}},
      {BANNER + "Unable to open: \nNot checked: an empty path (error 3)\n" + Incomplete(1),
       ReportState::Incomplete,
       {"file not-checked [an empty path] host=- pid=- package=- application=- flags=-/- "
        "error=error 3 machine=-"}},
      // The heading left open takes the first line of the host's first module; an empty line
      // after it ends the block, so what follows is no host's.
      {BANNER + SCAN + HOSTS + "Scanning dllhost.exe (PID:7)  System Package " + RECOMPILE +
           "\n\nScanning DllHost.Exe (PID:8)  System Package \n\n"
           "Not checked: the rest of it (error 0x80040154: Class (error 5) not registered.)\n" +
           RecompileNote() + Incomplete(1),
       ReportState::Incomplete,
       {"host recompile [/b.dll] host=dllhost.exe pid=7 package=System Package application=- "
        "flags=off/on error=- machine=WEB01",
        "host not-checked [the rest of it] host=- pid=- package=- application=- flags=-/- "
        "error=error 0x80040154: Class (error 5) not registered. machine=WEB01"}},
      // Packages: the first on the heading's line, each further one on a line of its own.
      {BANNER + SCAN + HOSTS + "Scanning inetinfo.exe (PID:9) Sales\nOrders\n" + FINE +
           "Not checked: x (error 5) (error 6: Bad.)\n\n\n" + Incomplete(1),
       ReportState::Incomplete,
       {"host fine [/a.dll] host=inetinfo.exe pid=9 package=Sales; Orders application=- "
        "flags=on/on error=- machine=WEB01",
        "host not-checked [x (error 5)] host=inetinfo.exe pid=9 package=Sales; Orders "
        "application=- flags=-/- error=error 6: Bad. machine=WEB01"}},
      {BANNER + SCAN +
           "\nOpening the COM+ catalog on WEB01...\n\nScanning Web (1) (1 component)\n"
           "   ProgID: Shop.Cart\n" +
           FINE + "\nScanning Idle (0 components)\n\n" +
           "Not checked: application number 3 of the COM+ catalog (error 0x80020005)\n\n" + HOSTS +
           "\n\n" + Incomplete(1),
       ReportState::Incomplete,
       {"catalog fine [/a.dll] host=- pid=- package=- application=Web (1) flags=on/on error=- "
        "machine=WEB01",
        "catalog not-checked [application number 3 of the COM+ catalog] host=- pid=- package=- "
        "application=- flags=-/- error=error 0x80020005 machine=WEB01"}},
      {BANNER + SCAN +
           "\nError Detected: TOKEN_ADJUST_PRIVILEGES \n"
           "Program cannot scan IIS and running packages. \n"
           "Not checked: the hosts (error 1300)\n" +
           Incomplete(1) +
           "\nThe debug privilege could not be enabled, so no running IIS or COM+\nprocess was "
           "scanned. Run QUENTIX from an administrator's console on\nWindows; on Linux, run it as "
           "root or with the CAP_SYS_PTRACE capability.\n",
       ReportState::Incomplete,
       {"host not-checked [the hosts] host=- pid=- package=- application=- flags=-/- "
        "error=error 1300 machine=-"}},
  };
  for (const auto& c : cases) {
    for (const std::string& text : {c.text, Crlf(c.text)}) {
      const Reading whole = Read(text);
      EXPECT_EQ(whole.end.state, c.state) << text << whole.end.reason << whole.end.line;
      EXPECT_EQ(whole.findings, c.findings) << text;
      EXPECT_EQ(Read(text, 1).findings, whole.findings) << "a byte at a time:\n" << text;
    }
  }
}

TEST(ReportReader, TellsWhereAFileStopsBeingAReport) {
  const std::string tooLong(70000, 'x');
  const struct {
    std::string text;
    ReportState state;
    std::size_t line;
  } cases[] = {
      {"", ReportState::CutShort, 0},
      {BANNER + FINE, ReportState::CutShort, 9},
      {BANNER + FINE + "\n\nQUENTIX has finished", ReportState::CutShort, 12},
      {BANNER + SCAN + HOSTS + "Scanning dllhost.exe (PID:7) Sales\n", ReportState::CutShort, 11},
      {"\nQuentix Version 1.2.1b\n", ReportState::NotAReport, 2},
      {BANNER + "QUENTIX by default, will check the BR project settings \n",
       ReportState::NotAReport, 6},
      {"\r\nQuentix Version 1.2.1a\n", ReportState::NotAReport, 2},
      {BANNER + "\n/a\tb.dll is fine...\n", ReportState::NotAReport, 7},
      {BANNER + "\n" + tooLong + "\n", ReportState::NotAReport, 7},
      {BANNER + "/a.dll is fine...\n", ReportState::NotAReport, 6},
      {BANNER + "\n/a.dll is fine...\n      Retained In Memory   :OFF \n", ReportState::NotAReport,
       8},
      {BANNER + "      Retained In Memory   :ON \n      Unattended Execution :ON \n",
       ReportState::NotAReport, 7},
      {BANNER + "Unable to open: /a.dll\n" + ALL_CLEAR, ReportState::NotAReport, 7},
      {BANNER + "Not checked: /a.dll (error x)\n", ReportState::NotAReport, 6},
      {BANNER + "Not checked: /a.dll (error 2)\n" + ALL_CLEAR, ReportState::NotAReport, 9},
      {BANNER + "Not checked: /a.dll (error 2)\n" + Incomplete(2), ReportState::NotAReport, 10},
      {BANNER + RECOMPILE + ALL_CLEAR, ReportState::NotAReport, 11},
      {BANNER + FINE + ALL_CLEAR + "\n", ReportState::NotAReport, 13},
      {BANNER + SCAN + "\n/a.dll is fine...\n", ReportState::NotAReport, 9},
      {BANNER + SCAN + HOSTS + "\n/a.dll is a BR5 file...\n", ReportState::NotAReport, 12},
      {BANNER + SCAN + "\nOpening the COM+ catalog on WEB01...\n\n   ProgID: Shop.Cart\n",
       ReportState::NotAReport, 11},
      {BANNER + SCAN + "\nOpening the COM+ catalog on WEB01...\n\nScanning Web (2 component)\n",
       ReportState::NotAReport, 11},
      {BANNER + SCAN + "\nOpening the COM+ catalog on WEB01...\n\n" +
           "Scanning IIS, all Medium & High Isolation web applications\n"
           "and all running COM+ server packages on WEB02...\n",
       ReportState::NotAReport, 12},
      {BANNER + SCAN + HOSTS + "Scanning dllhost.exe (PID:99999999999) Sales\n",
       ReportState::NotAReport, 11},
  };
  for (const auto& c : cases) {
    const ReportEnd end = Read(c.text).end;
    EXPECT_EQ(end.state, c.state) << c.text.substr(0, 300);
    EXPECT_EQ(end.line, c.line) << c.text.substr(0, 300) << "\n" << end.reason;
    EXPECT_FALSE(end.reason.empty());
  }
}

// Every output but the console's is UTF-8: bytes that are not part of it, and control bytes,
// are shown as \xHH; a CSV field holding a comma or a quote is quoted, an empty one too.
TEST(OutputText, IsValidUtf8AndQuotedWhereItMustBe) {
  EXPECT_EQ(
      Utf8Text("caf\xC3\xA9 caf\xE9 \xE2\x82\xAC \xF0\x9F\x98\x80 \xC0\xAF \xED\xA0\x80 \x7F"),
      "caf\xC3\xA9 caf\\xE9 \xE2\x82\xAC \xF0\x9F\x98\x80 \\xC0\\xAF \\xED\\xA0\\x80 \\x7F");
  EXPECT_EQ(Utf8Text("\xF4\x90\x80\x80\xE2\x82"), "\\xF4\\x90\\x80\\x80\\xE2\\x82");
  EXPECT_EQ(Utf8Text("\xE0\xA0\x80 \xF0\x9F\x98"), "\xE0\xA0\x80 \\xF0\\x9F\\x98");
  EXPECT_EQ(PrintableText("a\tb\xE9"), "a\\x09b\xE9");
  const auto json = [](std::string_view text) {
    std::string out = "{";
    AppendJsonString(out, text);
    return out;
  };
  EXPECT_EQ(json("C:\\a \"b\"\n"), "{\"C:\\\\a \\\"b\\\"\\\\x0A\"");
  EXPECT_EQ(json("\xE9"), "{\"\\\\xE9\"");
  const auto csv = [](std::string_view text) {
    std::string out = "x,";
    AppendCsvField(out, text);
    return out;
  };
  EXPECT_EQ(csv("a,b \"c\""), "x,\"a,b \"\"c\"\"\"");
  EXPECT_EQ(csv(""), "x,\"\"");
  EXPECT_EQ(csv("C:\\x.dll"), "x,C:\\x.dll");
  EXPECT_EQ(csv("\"\xE9"), "x,\"\"\"\\xE9\"");
  EXPECT_EQ(HtmlText("<a href='x'>&\"</a>"), "&lt;a href=&#39;x&#39;&gt;&amp;&quot;&lt;/a&gt;");
}

// A DLL is to be recompiled on each server once, however many reports name it there and
// whatever the letter case of their names.
TEST(FleetPage, CountsEachServerOncePerDll) {
  TempFolder folder;
  const std::string page = (folder.Path() / "page.html").string();
  OutputFile file(page);
  const auto writer = MakeHtmlWriter(file);
  Finding finding;
  finding.verdict = Verdict::Recompile;
  finding.path = "C:\\Shop.dll";
  for (const char* server : {"web02", "web01", "WEB02"}) {
    const ReportSource report{server, std::string(server) + ".txt"};
    writer->WriteFinding(report, finding);
    writer->WriteFinding(report, finding);
    ReportOutcome outcome;
    outcome.state = ReportState::Recompile;
    writer->WriteReport(report, outcome);
  }
  std::string error;
  ASSERT_TRUE(writer->Finish(error)) << error;
  std::ifstream in(page);
  const std::string html{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  EXPECT_NE(html.find(">C:\\Shop.dll</td><td class=\"number\">2</td><td>web01, web02</td>"),
            std::string::npos)
      << html;
}

}  // namespace
