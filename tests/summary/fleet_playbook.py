#!/usr/bin/env python3
"""The fleet playbook of examples/ansible, run by ansible-playbook against this machine.

    fleet_playbook.py PLAYBOOK QUENTIX SUMMARY BUILD WORK

In a process-id namespace of its own, with one sample host holding a DLL to recompile and a
fine one, the playbook scans localhost (connection local, as root), fetches its report to
WORK/reports/localhost.txt, and summarises it. Ansible keeps its files in WORK as well.
"""
import json
import os
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import scanning  # noqa: E402

scanning.enter_own_namespace()
playbook, quentix, summary, build, work = sys.argv[1:6]
shutil.rmtree(work, ignore_errors=True)
samples = os.path.join(work, "samples")
os.makedirs(samples)
subprocess.run([os.path.join(build, "tools", "make_samples"), samples], check=True,
               capture_output=True)
inventory = os.path.join(work, "hosts.ini")
with open(inventory, "w") as f:
    # Root already: no sudo to become it.
    f.write("[linux]\nlocalhost ansible_connection=local ansible_become=false "
            "ansible_python_interpreter=\"{{ ansible_playbook_python }}\"\n")
settings = {
    "quentix_linux": quentix,
    "quentix_linux_report": os.path.join(work, "quentix-report.txt"),
    "quentix_summary": summary,
    "quentix_reports": os.path.join(work, "reports"),
    "quentix_page": os.path.join(work, "fleet-summary.html"),
    "quentix_findings": os.path.join(work, "fleet-summary.jsonl"),
}
environment = dict(os.environ, ANSIBLE_HOME=os.path.join(work, "ansible"),
                   ANSIBLE_LOCAL_TEMP=os.path.join(work, "ansible", "tmp"),
                   ANSIBLE_REMOTE_TEMP=os.path.join(work, "ansible", "remote"),
                   ANSIBLE_NOCOLOR="1", ANSIBLE_RETRY_FILES_ENABLED="0",
                   ANSIBLE_CONFIG=os.path.join(work, "no-ansible.cfg"))

host = scanning.start_sample_host(build, os.path.join(samples, "recompile.dll"),
                                  os.path.join(samples, "fine.dll"))
try:
    run = subprocess.run(["ansible-playbook", "-i", inventory, "-e", json.dumps(settings),
                          playbook], capture_output=True, text=True, env=environment, timeout=150)
finally:
    host.kill()
    host.wait()

failures = []


def expect(what, got, wanted):
    if got != wanted:
        failures.append(f"{what}:\n  expected {wanted!r}\n  got      {got!r}")


expect("ansible-playbook's status", run.returncode, 0)
expect("what the playbook shows", "localhost\\trecompile 1" in run.stdout and
       "1 report: 0 clean, 1 recompile, 0 incomplete, 0 cut short, 0 not a report" in run.stdout
       and "status 1" in run.stdout, True)


def contents(path):
    if not os.path.exists(path):
        return None
    with open(path, "rb") as f:
        return f.read()


expect("the fetched report is the report",
       contents(os.path.join(work, "reports", "localhost.txt")),
       contents(settings["quentix_linux_report"]))
findings = [json.loads(line) for line in (contents(settings["quentix_findings"]) or b"").splitlines()
            if b'"finding"' in line]
expect("findings", [(o["server"], o["verdict"], o["path"], o["host"]) for o in findings], [
    ("localhost", "recompile", os.path.join(samples, "recompile.dll"), "dllhost.exe"),
    ("localhost", "fine", os.path.join(samples, "fine.dll"), "dllhost.exe"),
])
expect("the page", bool(contents(settings["quentix_page"])), True)

for failure in failures:
    print(failure)
if failures:
    print(run.stdout, run.stderr)
sys.exit(1 if failures else 0)
