#!/usr/bin/env python3
"""The fleet page as headless Chromium shows it.

    page_in_browser.py SUMMARY FLEET WORK

SUMMARY writes the page of the reports in FLEET (tests/data/summary/fleet), as a playbook
fetches them into WORK/reports, into WORK; Chromium
opens it from its file:// address with no network and dumps the DOM, whose servers, DLLs to
recompile and items not checked must be those of the fleet, and takes a screenshot,
WORK/fleet-summary.png, which the build keeps.
"""
import html.parser
import os
import shutil
import signal
import struct
import subprocess
import sys
import tempfile

summary, fleet, work = sys.argv[1:4]
os.makedirs(work, exist_ok=True)
page = os.path.join(work, "fleet-summary.html")
screenshot = os.path.join(work, "fleet-summary.png")
shutil.rmtree(os.path.join(work, "reports"), ignore_errors=True)
shutil.copytree(fleet, os.path.join(work, "reports"))
run = subprocess.run([summary, "--html", page, "reports"], capture_output=True, cwd=work)
if run.returncode != 2:
    sys.exit(f"quentix-summary ended with {run.returncode}: {run.stderr!r}")


def browser(*arguments):
    """Runs Chromium headless in a profile of its own; its whole process group ends with it."""
    profile = tempfile.mkdtemp(prefix="quentix-chromium-")
    command = ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
               "--no-first-run", "--disable-background-networking",
               "--disable-component-update", "--disable-sync", "--user-data-dir=" + profile,
               *arguments, "file://" + page]
    process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                               start_new_session=True)
    try:
        out, _ = process.communicate(timeout=60)
    finally:
        try:
            os.killpg(process.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        shutil.rmtree(profile, ignore_errors=True)
    return out.decode("utf-8")


class Page(html.parser.HTMLParser):
    """The text of every table cell, row by row, by section; and what would load anything."""

    def __init__(self):
        super().__init__()
        self.rows = {}
        self.section = None
        self.cell = None
        self.loads = []
        self.policy = None
        self.title = ""
        self.styled = False
        self.in_title = False

    def handle_starttag(self, tag, attributes):
        attributes = dict(attributes)
        self.loads += [f"{tag} {name}" for name in ("src", "href", "srcset") if name in attributes]
        if tag == "meta" and attributes.get("http-equiv") == "Content-Security-Policy":
            self.policy = attributes.get("content")
        self.in_title = tag == "title"
        self.styled = self.styled or tag == "style"
        if tag == "section":
            self.section = attributes.get("id")
        elif tag == "tr" and self.section:
            self.rows.setdefault(self.section, []).append([])
        elif tag == "td" and self.section:
            self.cell = ""

    def handle_endtag(self, tag):
        self.in_title = False
        if tag == "td" and self.cell is not None:
            self.rows[self.section][-1].append(" ".join(self.cell.split()))
            self.cell = None

    def handle_data(self, data):
        if self.cell is not None:
            self.cell += data
        if self.in_title:
            self.title += data


dom = Page()
dom.feed(browser("--dump-dom"))
body = {section: [row for row in rows if row] for section, rows in dom.rows.items()}
failures = []


def expect(what, got, wanted):
    if got != wanted:
        failures.append(f"{what}:\n  expected {wanted!r}\n  got      {got!r}")


expect("servers and their states", [row[:4] for row in body.get("servers", [])], [
    ["iis02", "Not a report line 6: the help text, not a report", "0", "0"],
    ["web05", "Cut short line 23: the report ends within a line", "1", "0"],
    ["app01", "Incomplete", "1", "2"],
    ["web04", "Incomplete", "0", "1"],
    ["web01", "Recompile", "1", "0"],
    ["web02", "Recompile", "2", "0"],
    ["web03", "Clean", "0", "0"],
])
expect("DLLs to recompile", body.get("recompile"), [
    ["C:\\Program Files\\Ferrow\\Shop\\ShopCart.dll", "3", "web01, web02, web05"],
    ["/srv/wine/drive_c/Program Files/Ferrow/Shop/ShopCart.dll", "1", "app01"],
    ["C:\\Program Files\\Ferrow\\Billing\\Invoice.dll", "1", "web02"],
])
expect("items not checked", [row[:3] for row in body.get("not-checked", [])], [
    ["app01", "catalog", "the COM+ catalog on APP01"],
    ["app01", "host: dllhost.exe (PID 4711), System Package", "/srv/ferrow/Café/Ledger.dll"],
    ["web04", "host", "the running IIS and COM+ processes"],
])
expect("what the page would load", dom.loads, [])
expect("the page's title and style", (dom.title, dom.styled), ("QUENTIX fleet summary", True))
expect("the page's policy", dom.policy, "default-src 'none'; style-src 'unsafe-inline'")

browser("--hide-scrollbars", "--window-size=1280,1200", "--screenshot=" + screenshot)
with open(screenshot, "rb") as f:
    header = f.read(24)
expect("the screenshot's size", header[:8] == b"\x89PNG\r\n\x1a\n" and
       struct.unpack(">II", header[16:24]), (1280, 1200))

for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
