#!/usr/bin/env python3
"""Counts test cases for scripts/test.sh and prints its last line.

Usage: count-cases.py CTEST_JUNIT GTEST_XML_DIR [FUZZ_RESULTS [BUILD_FAILURES]]

A GoogleTest program counts each of its cases (read from the XML report it
wrote); a program that ended without a report (crash, timeout, not built)
counts as one failed case. Any other ctest test (shell cross-checks, network
scenarios) is one case. FUZZ_RESULTS holds one "NAME passed|failed" line per
fuzz target run over its seed corpus; each is one case. BUILD_FAILURES
counts the build trees that did not build whole, one failed case each.

The last line printed is "N passed, N failed, N skipped"; the exit status is
non-zero when anything failed.
"""
import os
import sys
import xml.etree.ElementTree as ET


def ctest_results(junit_path):
    """Yields (name, status, last output line) for every ctest test; status is
    passed, failed or skipped."""
    try:
        root = ET.parse(junit_path).getroot()
    except (OSError, ET.ParseError) as e:
        print("no ctest results (%s)" % e)
        return
    for case in root.iter("testcase"):
        name = case.get("name", "?")
        status = case.get("status", "")
        skipped = case.find("skipped")
        out = (case.findtext("system-out") or "").strip()
        reason = out.splitlines()[-1] if out else ""
        # A test that asked to be skipped (by its exit code) or was disabled
        # is skipped; one that could not start ("not run") has failed.
        if status == "disabled" or (
                skipped is not None and skipped.get("message", "").startswith("SKIP_")):
            yield name, "skipped", reason
        elif status == "run":
            yield name, "passed", reason
        else:
            yield name, "failed", reason


def gtest_cases(xml_path):
    """Yields (name, status) for every case of one GoogleTest report."""
    root = ET.parse(xml_path).getroot()
    for case in root.iter("testcase"):
        name = "%s.%s" % (case.get("classname", "?"), case.get("name", "?"))
        if case.find("failure") is not None:
            yield name, "failed"
        elif (case.get("status") == "notrun" or case.get("result") in ("skipped", "suppressed")
              or case.find("skipped") is not None):
            yield name, "skipped"
        else:
            yield name, "passed"


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    junit, xml_dir = sys.argv[1], sys.argv[2]
    fuzz = sys.argv[3] if len(sys.argv) > 3 else None
    counts = {"passed": 0, "failed": 0, "skipped": 0}
    failed = []
    if len(sys.argv) > 4 and int(sys.argv[4]) > 0:
        counts["failed"] += int(sys.argv[4])
        failed.append("build: %s tree(s) did not build whole" % sys.argv[4])
    any_test = False

    for test, status, reason in ctest_results(junit):
        any_test = True
        if status == "skipped":
            print("skipped %s: %s" % (test, reason or "asked to be skipped"))
        report = os.path.join(xml_dir, "test_" + test.replace("/", "_") + ".xml")
        if os.path.exists(report):
            try:
                cases = list(gtest_cases(report))
            except ET.ParseError:
                cases = []
            for name, s in cases:
                counts[s] += 1
                if s == "failed":
                    failed.append("%s: %s" % (test, name))
            # The program failed although no case did: it crashed or hung
            # after its report, or the report is cut short.
            if status == "failed" and not any(s == "failed" for _, s in cases):
                counts["failed"] += 1
                failed.append("%s: the program failed outside its cases" % test)
            continue
        counts[status] += 1
        if status == "failed":
            failed.append(test)

    if fuzz:
        try:
            with open(fuzz) as f:
                for line in f:
                    parts = line.split()
                    if len(parts) != 2:
                        continue
                    any_test = True
                    status = "passed" if parts[1] == "passed" else "failed"
                    counts[status] += 1
                    if status == "failed":
                        failed.append("fuzz corpus run: " + parts[0])
        except OSError:
            pass

    if not any_test:
        counts["failed"] += 1
        failed.append("no test ran")
    if failed:
        print("Failed:")
        for f in failed:
            print("  " + f)
    line = "%d passed, %d failed" % (counts["passed"], counts["failed"])
    if counts["skipped"]:
        line += ", %d skipped" % counts["skipped"]
    print(line)
    return 1 if counts["failed"] else 0


if __name__ == "__main__":
    sys.exit(main())
