#!/usr/bin/env python3
"""Counts the test cases of a run from the GoogleTest result files.

Usage: test-summary.py LOG... -- RESULTS_DIR...
Every ctest entry writes RESULTS_DIR/<entry>.xml. An entry that ran but left
no result (it crashed, or ctest stopped it at its time limit) counts as one
failed case and is named, with the reason ctest gave in its log.
"""
import os
import re
import sys
import xml.etree.ElementTree as ET

args = sys.argv[1:]
split = args.index("--") if "--" in args else len(args)
logs, dirs = args[:split], args[split + 1:]

# ctest's line for each entry: "1/4 Test #1: name ....   Passed    3.97 sec"
entry = re.compile(r"Test\s+#\d+:\s+(\S+)\s+\.+\s*(\*\*\*)?\s*(.+?)\s+[\d.]+ sec")
ran = {}
for log in logs:
    if not os.path.exists(log):
        continue
    for line in open(log, errors="replace"):
        m = entry.search(line)
        if m:
            ran[m.group(1)] = m.group(3).strip()

passed = failed = 0
problems = []
results = {}
for d in dirs:
    if not os.path.isdir(d):
        continue
    for name in os.listdir(d):
        if name.endswith(".xml"):
            results[name[:-4]] = os.path.join(d, name)

for name, outcome in sorted(ran.items()):
    path = results.get(name)
    if path is None:
        failed += 1
        problems.append(f"{name}: no results ({outcome})")
        continue
    try:
        root = ET.parse(path).getroot()
    except ET.ParseError:
        failed += 1
        problems.append(f"{name}: unreadable results ({outcome})")
        continue
    tests = int(root.get("tests", 0))
    bad = int(root.get("failures", 0)) + int(root.get("errors", 0))
    skipped = int(root.get("disabled", 0)) + int(root.get("skipped", 0))
    passed += tests - bad - skipped
    failed += bad
    if outcome != "Passed" and bad == 0:
        # The cases passed but the program did not end well (a time limit
        # after the last case, a crash at exit).
        failed += 1
        problems.append(f"{name}: {outcome} after its cases")

for p in problems:
    print(f"  {p}")
print(f"{passed} passed, {failed} failed")
