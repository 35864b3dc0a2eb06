#!/usr/bin/env python3
"""Checks with an independent reader of compound files what our property writer stored.

Runs the Windows test that writes the file, then reads the SummaryInformation set with olefile.
"""
import os
import subprocess
import sys
import tempfile

import olefile

EXPECTED = {
    0x02: b"T\xeftle",  # in code page 1252
    0x03: b"Subject checked",
    0x04: b"Author checked",
    0x05: b"Keywords checked",
    0x06: b"Comments checked",
    0x07: b"Template checked",
    0x08: b"LastAuthor checked",
    0x09: b"RevisionNumber checked",
    0x12: b"AppName checked",
    0x0E: 42,  # the page count written before is kept
}


def main() -> int:
    runner, test_exe = sys.argv[1], sys.argv[2]
    with tempfile.TemporaryDirectory() as folder:
        target = os.path.join(folder, "checked.doc")
        env = dict(os.environ, QUILL_PROPERTY_FILE="Z:" + target.replace("/", "\\"))
        subprocess.run([runner, test_exe, "--gtest_filter=IndependentReaderFixture.*"], env=env, check=True,
                       stdin=subprocess.DEVNULL)
        ole = olefile.OleFileIO(target)
        props = ole.getproperties("\x05SummaryInformation")
        failures = []
        for pid, value in EXPECTED.items():
            got = props.get(pid)
            if isinstance(got, bytes):
                got = got.rstrip(b"\0")
            if got != value:
                failures.append(f"property {pid}: expected {value!r}, read {got!r}")
        codepage = ole.get_metadata().codepage
        if codepage != 1252:
            failures.append(f"code page {codepage}, expected 1252")
    for failure in failures:
        print(failure)
    print(f"independent reader: {len(EXPECTED) - len(failures)} of {len(EXPECTED)} properties as written")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
