#!/usr/bin/env python3
"""quentix-summary's command line and exit status, one case a row.

    command_line.py SUMMARY FLEET WORK

FLEET is a folder of reports of known states (tests/data/summary/fleet); WORK a folder of the
test's own. Each case runs SUMMARY with its words ({FLEET} and {WORK} put in) and checks the
status and the start of standard error.
"""
import os
import subprocess
import sys

summary, fleet, work = sys.argv[1:4]
os.makedirs(work, exist_ok=True)
USAGE = "usage: quentix-summary [--json FILE] [--csv FILE] [--html FILE] REPORT|FOLDER..."

# name, words, status, what standard error starts with
CASES = [
    ("clean report", ["{FLEET}/web03.txt"], 0, ""),
    ("a DLL to recompile", ["{FLEET}/web01.txt", "{FLEET}/web03.txt"], 1, ""),
    ("incomplete wins over recompile", ["{FLEET}/web01.txt", "{FLEET}/web04.txt"], 2, ""),
    ("no report named", [], 4, USAGE),
    ("only outputs", ["--json", "{WORK}/a.json"], 4, USAGE),
    ("unknown option", ["--bogus", "{FLEET}/web03.txt"], 4, USAGE),
    ("empty word", ["", "{FLEET}/web03.txt"], 4, USAGE),
    ("output without its file", ["{FLEET}/web03.txt", "--csv"], 4, USAGE),
    ("output named twice", ["--html", "{WORK}/a", "--html", "{WORK}/b", "{FLEET}"], 4, USAGE),
    ("output not writable", ["--json", "{WORK}/none/a.json", "{FLEET}/web03.txt"], 5,
     "quentix-summary: cannot write "),
]

failures = []
for name, words, status, error in CASES:
    command = [summary] + [w.replace("{FLEET}", fleet).replace("{WORK}", work) for w in words]
    run = subprocess.run(command, capture_output=True)
    said = run.stderr.decode("utf-8", "replace")
    if run.returncode != status or not said.startswith(error):
        failures.append(f"{name}: status {run.returncode} (not {status}), stderr {said!r}")
for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
