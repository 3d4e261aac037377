#!/usr/bin/env python3
"""Reads every expected report of tests/data/reports back through quentix-summary.

    golden_round_trip.py SUMMARY DATA WORK [EMULATOR...]

The expected reports' marks are filled in (the folder of the DLLs holds a comma and a quote, so
that every path is one a CSV field must quote) and the reports written into WORK/reports, then
SUMMARY (run through EMULATOR, when given, with WORK as the emulator sees it) summarises that
folder into JSON Lines, CSV and HTML. Its standard output, status and JSON Lines must be those
of DATA/summary, and the CSV must hold the JSON's findings field for field.
"""
import csv
import json
import os
import re
import subprocess
import sys

summary, data, work = sys.argv[1:4]
emulator = sys.argv[4:]

# Under Wine the build folder is drive Z:, with the Windows separator.
separator = "\\" if emulator else "/"
def shown(path):
    return "Z:" + path.replace("/", "\\") if emulator else path

dlls = '/srv/fleet, "west"/dlls'
marks = {"{TIME}": "Mon Dec 07 10:11:12 2026", "{MACHINE}": "WEB01",
         "{FILE}": dlls + "/sample.dll", "{DIR}": dlls, "{/}": "/"}
reports = os.path.join(work, "reports")
os.makedirs(reports, exist_ok=True)
for name in sorted(os.listdir(os.path.join(data, "reports"))):
    if name == "cases.txt":
        continue
    with open(os.path.join(data, "reports", name), "rb") as f:
        text = f.read().decode("latin-1")
    for mark, value in marks.items():
        text = text.replace(mark, value)
    text = re.sub(r"\{PID(\d)\}", lambda m: "100" + m.group(1), text)
    text = re.sub(r"\{ERROR (\w+)\}", lambda m: "error " + m.group(1) + ": Text " + m.group(1) + ".", text)
    with open(os.path.join(reports, name), "wb") as f:
        f.write(text.encode("latin-1"))

outputs = {kind: os.path.join(work, "fleet." + kind) for kind in ("json", "csv", "html")}
command = emulator + [summary]
for kind, path in outputs.items():
    command += ["--" + kind, shown(path)]
run = subprocess.run(command + [shown(reports)], capture_output=True)

failures = []
def expect(what, got, wanted):
    if got != wanted:
        failures.append(f"{what}:\n--- expected\n{wanted}\n--- got\n{got}")

def with_marks(text):
    return text.replace("{REPORTS}", shown(reports)).replace("{/}", separator)

def expected_text(name):
    with open(os.path.join(data, "summary", name), encoding="utf-8") as f:
        return with_marks(f.read())

line_end = "\r\n" if emulator else "\n"
expect("standard output", run.stdout.decode("utf-8", "replace"),
       expected_text("golden-output.txt").replace("\n", line_end))
expect("standard error", run.stderr.decode("utf-8", "replace"),
       expected_text("golden-errors.txt").replace("\n", line_end))
expect("exit status", run.returncode, 2)

with open(outputs["json"], encoding="utf-8") as f:
    got = [json.loads(line) for line in f]
with open(os.path.join(data, "summary", "golden.jsonl"), encoding="utf-8") as f:
    wanted = [{k: with_marks(v) if isinstance(v, str) else v for k, v in json.loads(line).items()}
              for line in f]
for number, (g, w) in enumerate(zip(got, wanted), 1):
    expect(f"JSON line {number}", g, w)
expect("JSON lines", len(got), len(wanted))

# The CSV holds the JSON's findings, in order, with the JSON's names as its header.
with open(outputs["csv"], encoding="utf-8", newline="") as f:
    rows = list(csv.reader(f))
findings = [g for g in got if g["kind"] == "finding"]
expect("CSV header", rows[0] if rows else [], list(findings[0].keys()) if findings else [])
def as_csv(value):
    return "" if value is None else ("true" if value else "false") if isinstance(value, bool) else str(value)
for number, (row, finding) in enumerate(zip(rows[1:], findings), 2):
    expect(f"CSV record {number}", row, [as_csv(v) for v in finding.values()])
expect("CSV records", len(rows) - 1, len(findings))
with open(outputs["csv"], "rb") as f:
    records = f.read()
expect("CSV line ends: CR LF", records.count(b"\n"), records.count(b"\r\n"))

with open(outputs["html"], encoding="utf-8") as f:
    page = f.read()
expect("page ends", page.rstrip().endswith("</html>"), True)

for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
