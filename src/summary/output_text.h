// Report text made fit for the summary's outputs. A report holds the bytes of the system that
// wrote it: UTF-8 on Linux, the ANSI code page on Windows. The outputs for machines and
// browsers are UTF-8, so a byte that is not part of UTF-8 is shown as \xHH there, as the report
// shows a control byte: nothing is guessed about the code page, and nothing is lost.
#pragma once

#include <string>
#include <string_view>

// The text with every control byte as \xHH: for people's consoles.
std::string PrintableText(std::string_view text);

// The text as valid UTF-8 without control bytes: every byte that is not part of a UTF-8
// character, and every control byte, as \xHH.
void AppendUtf8Text(std::string& out, std::string_view text);
std::string Utf8Text(std::string_view text);

// A JSON string of the text: quoted, valid UTF-8.
void AppendJsonString(std::string& out, std::string_view text);

// An RFC 4180 field of the text: quoted when it holds a comma, a quote or nothing at all.
void AppendCsvField(std::string& out, std::string_view text);

// The text for an HTML page, its markup characters as entities.
std::string HtmlText(std::string_view text);
