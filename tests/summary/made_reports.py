#!/usr/bin/env python3
"""Reports that the built quentix makes in each mode, read back by quentix-summary to the
findings they hold.

    made_reports.py QUENTIX SUMMARY BUILD

It runs as root in a process-id namespace of its own (it enters one when it can), so that the
scans see the one sample host it starts. Exits 77 where that cannot be had.
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import scanning  # noqa: E402

scanning.enter_own_namespace()
quentix, summary, build = sys.argv[1:4]
work = tempfile.mkdtemp(prefix="quentix-summary-")
samples = os.path.join(work, "samples")
reports = os.path.join(work, "reports")
os.mkdir(samples)
os.mkdir(reports)
subprocess.run([os.path.join(build, "tools", "make_samples"), samples], check=True,
               capture_output=True)

def report(name, *arguments):
    with open(os.path.join(reports, name + ".txt"), "wb") as f:
        subprocess.run([quentix, *arguments], stdout=f, stderr=subprocess.DEVNULL, timeout=30)

def sample(name):
    return os.path.join(samples, name)

report("single-fine", sample("fine.dll"))
report("single-recompile", sample("recompile.dll"))
report("single-version5", sample("version5.dll"))
report("single-missing", sample("gone.dll"))
report("help", "/?")
host = scanning.start_sample_host(build, sample("recompile.dll"), sample("fine.dll"))
try:
    report("default")
    report("catalog", "/sc")
finally:
    host.kill()
    host.wait()

out = subprocess.run([summary, "--json", os.path.join(work, "fleet.json"), reports],
                     capture_output=True, text=True)
failures = []
def expect(what, got, wanted):
    if got != wanted:
        failures.append(f"{what}:\n  expected {wanted!r}\n  got      {got!r}")

expect("standard output", out.stdout.splitlines(), [
    "catalog\tincomplete 1", "default\trecompile 1", "help\tnot a report",
    "single-fine\tclean", "single-missing\tincomplete 1", "single-recompile\trecompile 1",
    "single-version5\tclean",
    "7 reports: 2 clean, 2 recompile, 2 incomplete, 0 cut short, 1 not a report"])
expect("exit status", out.returncode, 2)

with open(os.path.join(work, "fleet.json")) as f:
    objects = [json.loads(line) for line in f]
def short(finding):
    return (finding["server"], finding["source"], finding["verdict"], finding["path"],
            finding["host"], finding["pid"], finding["package"], finding["retained_in_memory"],
            finding["unattended_execution"])
machine = next(o["machine"] for o in objects if o["server"] == "default")
findings = [short(o) for o in objects if o["kind"] == "finding"]
hosts = [("dllhost.exe", host.pid, "System Package")]
expect("findings", findings, [
    ("catalog", "catalog", "not-checked", "the COM+ catalog on " + machine, None, None, None,
     None, None),
    ("catalog", "host", "recompile", sample("recompile.dll"), *hosts[0], True, False),
    ("catalog", "host", "fine", sample("fine.dll"), *hosts[0], True, True),
    ("default", "host", "recompile", sample("recompile.dll"), *hosts[0], True, False),
    ("default", "host", "fine", sample("fine.dll"), *hosts[0], True, True),
    ("single-fine", "file", "fine", sample("fine.dll"), None, None, None, True, True),
    ("single-missing", "file", "not-checked", sample("gone.dll"), None, None, None, None, None),
    ("single-recompile", "file", "recompile", sample("recompile.dll"), None, None, None, True,
     False),
    ("single-version5", "file", "br5", sample("version5.dll"), None, None, None, None, None),
])
catalog_error = next(o["error"] for o in objects
                     if o.get("verdict") == "not-checked" and o["server"] == "catalog")
expect("the catalog's error", catalog_error.startswith("error 0x80040154: "), True)

for failure in failures:
    print(failure)
if failures:
    print(out.stdout, out.stderr)
shutil.rmtree(work)
sys.exit(1 if failures else 0)
