#include "blackbox/blackbox.h"

ChildResult RunQuentixExe(const std::vector<std::string>& arguments) {
  std::vector<std::string> argv{QUENTIX_EXE_PATH};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return RunChild(QUENTIX_EXE_PATH, argv);
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

// Written out here, not taken from the program, so that a change to either shows.
const std::string kBanner =
    Lines({"", "Quentix Version 1.2.1a", "Ferrowlake Server Tools, December 2026",
           "Written by the Quentix maintainers", ""});
const std::string kSingleDllSummary =
    Lines({"", "", "QUENTIX has finished scanning and no errors were detected"});
const std::string kDefaultSummary = Lines({
    "QUENTIX has finished scanning IIS and all running instances of ",
    "DLLHost.exe and did not find any BR6 DLL's that need to be re-compiled. ",
    "You should now consider running QUENTIX with the '-sc' switch to scan ",
    "the entire COM+ catalog for any BR DLL's configured to run in COM+ server ",
    "packages which may not currently be running.",
});
const std::string kCatalogSummary = Lines({
    "QUENTIX has finished scanning the COM+ catalog, IIS and all ",
    "running instances of DLLHost.exe and did not find any BR6 DLL's ",
    "that need to be re-compiled.",
});
const std::string kRecompileNote = Lines({
    "",
    "",
    "* IMPORTANT NOTE ",
    "QUENTIX has detected one or more Brannic DLL's that have ",
    "not been compiled properly for use in a server process such as IIS or COM+.",
    "Please make note of the DLL's listed above and re-compile these DLL's with  ",
    "'Unattended Execution' and 'Retain in Memory'. ",
    "",
    "For more information on these settings please refer to the ",
    "KB articles listed below:",
    "",
    "QXKB-0101: BR DLLs become unstable in COM+ when 'Retained In Memory' is not set",
    "https://support.example.com/kb/qxkb-0101",
    "",
    "QXKB-0102: Threading issues with BR6 components in server processes",
    "https://support.example.com/kb/qxkb-0102",
});
const std::string kTerminationText = "\r\nabnormal program termination\r\n";
