// The fixed texts of the report, in one place: quentix prints its report from them and
// quentix-summary reads reports back with them, so that the two cannot drift apart. Trailing
// blanks are part of the texts. A line that holds variable text (a path, a name, a number) is
// spelled here as the fixed pieces around it.
#pragma once

#include <string_view>

// ---- Blocks of whole lines ----------------------------------------------------------------

inline constexpr std::string_view BANNER_LINES[] = {
    "",
    "Quentix Version 1.2.1a",
    "Ferrowlake Server Tools, December 2026",
    "Written by the Quentix maintainers",
    "",
};

inline constexpr std::string_view HELP_LINES[] = {
    "QUENTIX by default, will check the BR project settings ",
    "for all BR6 DLL's that are executing in COM+ packages or",
    "in IIS web applications on a Windows 2000 system. QUENTIX ",
    "can also inspect individual DLL's that aren't configured ",
    "in COM+ or running in an IIS web application.",
    "",
    "There are several ways to run QUENTIX. ",
    "",
    "In the default mode of operation (no switches used) QUENTIX ",
    "scans all running COM+ packages and all running IIS web applications.",
    "QUENTIX will then display a list of DLL's from those processes  ",
    "which are not compiled correctly.",
    "",
    "In addition to providing the above information, if the 'sc'",
    "switch is used, QUENTIX will also scan the COM+ catalog.",
    "QUENTIX will then display a list of any DLL's found in",
    "any COM+ applications that are not compiled correctly.",
    "",
    "Finally, you can use QUENTIX to scan individual DLL's which ",
    "aren't configured as COM+ components or which aren't used with ",
    "IIS by specifying the path to the DLL on the command line. ",
    "",
    "Use the /sc switch to generate the most complete report of the entire system.",
    "",
    "Usage: quentix [ /sc] or [dllname ]",
    "",
    "    where: ",
    "",
    "       /sc        - scan IIS (In Process), OOP Pooled/Isolated applications",
    "                    instantiated COM+ components and COM+ catalog",
    "",
    "       dllname    - scan the specified DLL",
    "",
    "       no options - scan IIS (In Process), OOP Pooled/Isolated applications",
    "                    and instantiated COM+ components",
    "",
    "Examples:",
    "",
    "quentix",
    "quentix /sc",
    "quentix c:\\winnt\\system32\\mybrdll.dll",
    "quentix 'c:\\program files\\my program\\mybrdll.dll'",
};

// ---- Closing texts ------------------------------------------------------------------------

inline constexpr std::string_view RECOMPILE_NOTE_LINES[] = {
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
};

inline constexpr std::string_view DEFAULT_SUMMARY_LINES[] = {
    "QUENTIX has finished scanning IIS and all running instances of ",
    "DLLHost.exe and did not find any BR6 DLL's that need to be re-compiled. ",
    "You should now consider running QUENTIX with the '-sc' switch to scan ",
    "the entire COM+ catalog for any BR DLL's configured to run in COM+ server ",
    "packages which may not currently be running.",
};

inline constexpr std::string_view SINGLE_DLL_SUMMARY_LINES[] = {
    "",
    "",
    "QUENTIX has finished scanning and no errors were detected",
};

inline constexpr std::string_view CATALOG_SUMMARY_LINES[] = {
    "QUENTIX has finished scanning the COM+ catalog, IIS and all ",
    "running instances of DLLHost.exe and did not find any BR6 DLL's ",
    "that need to be re-compiled.",
};

// The note of a run that could not check everything: its head, then one line with the count
// (COUNT_LEAD, the number, the singular or plural middle, COUNT_END), then its tail.
inline constexpr std::string_view INCOMPLETE_NOTE_HEAD_LINES[] = {"", "", "* CHECK INCOMPLETE"};
inline constexpr std::string_view INCOMPLETE_COUNT_LEAD = "QUENTIX could not check ";
inline constexpr std::string_view INCOMPLETE_COUNT_ONE = " item. It is";
inline constexpr std::string_view INCOMPLETE_COUNT_MANY = " items. Each is";
inline constexpr std::string_view INCOMPLETE_COUNT_END = " named above on a line that";
inline constexpr std::string_view INCOMPLETE_NOTE_TAIL_LINES[] = {
    "begins with \"Not checked:\", with the error that stopped the check.",
    "This report says nothing about what was not checked: run QUENTIX again",
    "once the cause is put right.",
};
// After the note, when the debug privilege was refused.
inline constexpr std::string_view PRIVILEGE_ADVICE_LINES[] = {
    "",
    "The debug privilege could not be enabled, so no running IIS or COM+",
    "process was scanned. Run QUENTIX from an administrator's console on",
    "Windows; on Linux, run it as root or with the CAP_SYS_PTRACE capability.",
};

// ---- The verdict on one DLL file ----------------------------------------------------------

// The two settings of a project-flags byte, one line each, on or off.
inline constexpr std::string_view RETAINED_IN_MEMORY_ON = "      Retained In Memory   :ON ";
inline constexpr std::string_view RETAINED_IN_MEMORY_OFF = "      Retained In Memory   :OFF ";
inline constexpr std::string_view UNATTENDED_EXECUTION_ON = "      Unattended Execution :ON ";
inline constexpr std::string_view UNATTENDED_EXECUTION_OFF = "      Unattended Execution :OFF ";

// The path follows the lead-in, or is followed by the ending.
inline constexpr std::string_view UNABLE_TO_OPEN_LEAD = "Unable to open: ";
inline constexpr std::string_view FINE_END = " is fine...";
inline constexpr std::string_view VERSION5_END = " is a BR5 file...";
inline constexpr std::string_view RECOMPILE_LEAD = "       ";
inline constexpr std::string_view RECOMPILE_END = " <<< Please Recompile!";

// ---- The running-host scan ----------------------------------------------------------------

// The announcement's two lines; the machine name stands between MACHINE_LEAD and MACHINE_END.
inline constexpr std::string_view HOSTS_ANNOUNCEMENT =
    "Scanning IIS, all Medium & High Isolation web applications";
inline constexpr std::string_view HOSTS_MACHINE_LEAD = "and all running COM+ server packages on ";
inline constexpr std::string_view MACHINE_END = "...";
// In place of the announcement when the debug privilege is refused.
inline constexpr std::string_view PRIVILEGE_ERROR_LINES[] = {
    "Error Detected: TOKEN_ADJUST_PRIVILEGES ",
    "Program cannot scan IIS and running packages. ",
};
// A host's heading: HOST_LEAD, the executable's name, HOST_PID_LEAD, the process id and
// HOST_PID_END. The first package's name completes the line, and each further one has a line of
// its own; a host without one gets SYSTEM_PACKAGE, which leaves the line open for what the
// check of its first module prints.
inline constexpr std::string_view HOST_LEAD = "Scanning ";
inline constexpr std::string_view HOST_PID_LEAD = " (PID:";
inline constexpr std::string_view HOST_PID_END = ") ";
inline constexpr std::string_view SYSTEM_PACKAGE = " System Package ";
inline constexpr std::string_view WEB_SERVER_PACKAGE = "IIS In-Process Applications";

// ---- The catalog walk ---------------------------------------------------------------------

inline constexpr std::string_view CATALOG_MACHINE_LEAD = "Opening the COM+ catalog on ";
// An application's heading: APPLICATION_LEAD, its name, COMPONENT_COUNT_LEAD, the count and the
// singular or plural end. Each component follows on a line of its own.
inline constexpr std::string_view APPLICATION_LEAD = "Scanning ";
inline constexpr std::string_view COMPONENT_COUNT_LEAD = " (";
inline constexpr std::string_view ONE_COMPONENT_END = " component)";
inline constexpr std::string_view COMPONENTS_END = " components)";
inline constexpr std::string_view PROGID_LEAD = "   ProgID: ";

// ---- What could not be checked ------------------------------------------------------------

// NOT_CHECKED_LEAD, what was not checked, ERROR_OPEN, the error, ERROR_CLOSE. The error is
// ERROR_LEAD and its number (decimal, or 0x and eight hexadecimal digits for an HRESULT), then
// ERROR_TEXT_LEAD and the system's text for it where the system has one.
inline constexpr std::string_view NOT_CHECKED_LEAD = "Not checked: ";
inline constexpr std::string_view ERROR_OPEN = " (";
inline constexpr std::string_view ERROR_CLOSE = ")";
inline constexpr std::string_view ERROR_LEAD = "error ";
inline constexpr std::string_view ERROR_TEXT_LEAD = ": ";

// The report's own words for failures that no system message describes, so that their lines
// read the same on every system.
inline constexpr char NOT_A_DISK_FILE_TEXT[] = "Not a disk file; only disk files are read.";
inline constexpr char ONLY_FIRST_ARGUMENT_TEXT[] = "Only the first argument is checked.";

// ---- The time line ------------------------------------------------------------------------

// asctime's names; a day or month out of range is shown as UNKNOWN_TIME_NAME.
inline constexpr std::string_view DAY_NAMES[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
inline constexpr std::string_view MONTH_NAMES[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
inline constexpr std::string_view UNKNOWN_TIME_NAME = "???";
