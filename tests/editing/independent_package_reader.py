#!/usr/bin/env python3
"""Checks with independent readers what one Apply stored in a folder of four documents.

Makes a .docx, a .xlsx and an .odt with Python's zipfile, runs the Windows test that adds a .doc,
applies Title and Author to all four and undoes it (keeping a copy of the applied files), then
reads the copies and the undone files with zipfile, ElementTree and olefile: the two values as
written, every other entry's stored bytes unchanged and in place, and after Undo the old values.
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
import zipfile

import olefile

TITLE, AUTHOR = "Quarterly report", "J\u00f6rg Example"
NS = {
    "cp": "http://schemas.openxmlformats.org/package/2006/metadata/core-properties",
    "dc": "http://purl.org/dc/elements/1.1/",
    "office": "urn:oasis:names:tc:opendocument:xmlns:office:1.0",
    "meta": "urn:oasis:names:tc:opendocument:xmlns:meta:1.0",
    "rel": "http://schemas.openxmlformats.org/package/2006/relationships",
}
CORE_REL = "http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties"

CONTENT_TYPES = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
                 '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
                 '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
                 '<Default Extension="xml" ContentType="application/xml"/></Types>')


def rels(*targets):
    body = "".join(f'<Relationship Id="rId{i}" Type="{t}" Target="{p}"/>' for i, (t, p) in enumerate(targets, 1))
    return f'<Relationships xmlns="{NS["rel"]}">{body}</Relationships>'


DOCX = [
    ("[Content_Types].xml", CONTENT_TYPES, zipfile.ZIP_DEFLATED),
    ("_rels/.rels", rels(("http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument",
                          "word/document.xml"), (CORE_REL, "docProps/core.xml")), zipfile.ZIP_DEFLATED),
    ("word/document.xml", '<w:document xmlns:w="urn:w"><w:body>' + "text " * 200 + "</w:body></w:document>",
     zipfile.ZIP_DEFLATED),
    ("word/media/image1.png", bytes(range(256)) * 4, zipfile.ZIP_STORED),
    ("docProps/core.xml", f'<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\r\n<cp:coreProperties '
     f'xmlns:cp="{NS["cp"]}" xmlns:dc="{NS["dc"]}"><dc:title>Old title</dc:title><dc:creator>Old author'
     f'</dc:creator><cp:revision>4</cp:revision></cp:coreProperties>', zipfile.ZIP_DEFLATED),
]
XLSX = [
    ("[Content_Types].xml", CONTENT_TYPES, zipfile.ZIP_DEFLATED),
    ("_rels/.rels", rels(("http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument",
                          "xl/workbook.xml")), zipfile.ZIP_DEFLATED),
    ("xl/workbook.xml", '<workbook xmlns="urn:x"/>', zipfile.ZIP_BZIP2),
]
ODT = [
    ("mimetype", "application/vnd.oasis.opendocument.text", zipfile.ZIP_STORED),
    ("content.xml", f'<office:document-content xmlns:office="{NS["office"]}"/>', zipfile.ZIP_DEFLATED),
    ("meta.xml", f'<?xml version="1.0" encoding="UTF-8"?><office:document-meta xmlns:office="{NS["office"]}" '
     f'xmlns:meta="{NS["meta"]}" xmlns:dc="{NS["dc"]}"><office:meta><meta:initial-creator>Old author'
     f'</meta:initial-creator><dc:title>Old title</dc:title><meta:generator>Gen/1.0</meta:generator>'
     f'</office:meta></office:document-meta>', zipfile.ZIP_DEFLATED),
    ("Thumbnails/thumbnail.png", bytes(range(255, -1, -1)), zipfile.ZIP_DEFLATED),
]
# The part holding title and author, and the element names (ElementTree form) of the two.
PACKAGES = {
    "b.docx": (DOCX, "docProps/core.xml", "{%s}title" % NS["dc"], "{%s}creator" % NS["dc"]),
    "c.xlsx": (XLSX, "docProps/core.xml", "{%s}title" % NS["dc"], "{%s}creator" % NS["dc"]),
    "d.odt": (ODT, "meta.xml", ".//{%s}title" % NS["dc"], ".//{%s}initial-creator" % NS["meta"]),
}
# Entries the program may rewrite: the properties part and, where it had to create that part,
# the relationships and content types.
REWRITTEN = {"b.docx": {"docProps/core.xml"},
             "c.xlsx": {"docProps/core.xml", "_rels/.rels", "[Content_Types].xml"},
             "d.odt": {"meta.xml"}}


def make(path, entries):
    with zipfile.ZipFile(path, "w") as z:
        for name, data, method in entries:
            z.writestr(zipfile.ZipInfo(name, (2021, 5, 6, 7, 8, 10)), data, method)


def stored_entries(path):
    """Name, method, CRC and stored bytes of every entry, in directory order."""
    with open(path, "rb") as f:
        raw = f.read()
    entries = []
    with zipfile.ZipFile(path) as z:
        assert z.testzip() is None, f"{path}: an entry fails its CRC"
        for info in z.infolist():
            at = info.header_offset
            assert raw[at:at + 4] == b"PK\x03\x04", f"{path}: no local header for {info.filename}"
            name_length, extra_length = struct.unpack("<HH", raw[at + 26:at + 30])
            start = at + 30 + name_length + extra_length
            entries.append((info.filename, info.compress_type, info.CRC, raw[start:start + info.compress_size]))
    return entries


def title_and_author(path, part, title_path, author_path):
    with zipfile.ZipFile(path) as z:
        if part not in z.namelist():
            return None, None
        root = ET.fromstring(z.read(part))
    title, author = root.find(title_path), root.find(author_path)
    return (title.text if title is not None else None), (author.text if author is not None else None)


def main() -> int:
    runner, test_exe = sys.argv[1], sys.argv[2]
    failures = []

    def check(condition, message):
        if not condition:
            failures.append(message)

    with tempfile.TemporaryDirectory() as folder:
        originals = {}
        for name, (entries, *_rest) in PACKAGES.items():
            make(os.path.join(folder, name), entries)
            originals[name] = stored_entries(os.path.join(folder, name))
        env = dict(os.environ, QUILL_PACKAGE_FOLDER="Z:" + folder.replace("/", "\\"))
        subprocess.run([runner, test_exe, "--gtest_filter=PackageApplyUndoTest.*"], env=env, check=True,
                       stdin=subprocess.DEVNULL)

        for stage, where, title, author in (("applied", "applied", TITLE, AUTHOR),
                                            ("undone", "", None, None)):
            for name, (entries, part, title_path, author_path) in PACKAGES.items():
                path = os.path.join(folder, where, name)
                got_title, got_author = title_and_author(path, part, title_path, author_path)
                want_title = title if title is not None else ("Old title" if name != "c.xlsx" else None)
                want_author = author if author is not None else ("Old author" if name != "c.xlsx" else None)
                # After Undo a created part may stay, holding empty values.
                check((got_title or None) == want_title, f"{stage} {name}: title {got_title!r}, expected {want_title!r}")
                check((got_author or None) == want_author,
                      f"{stage} {name}: author {got_author!r}, expected {want_author!r}")
                now = stored_entries(path)
                before = originals[name]
                check([e[0] for e in now[:len(before)]] == [e[0] for e in before],
                      f"{stage} {name}: entry order {[e[0] for e in now]}")
                for old, new in zip(before, now):
                    if old[0] not in REWRITTEN[name]:
                        check(old == new, f"{stage} {name}: {old[0]} is no longer byte-identical")
                if name == "d.odt":
                    check(now[0][0] == "mimetype" and now[0][1] == zipfile.ZIP_STORED,
                          f"{stage} {name}: mimetype not first and stored")
            ole = olefile.OleFileIO(os.path.join(folder, where, "a.doc"))
            meta = ole.get_metadata()
            # Compound documents hold the values in the code page (1252 here).
            want = (TITLE.encode("cp1252"), AUTHOR.encode("cp1252")) if title else (b"Old title", None)
            check((meta.title, meta.author or None) == want, f"{stage} a.doc: {meta.title!r}, {meta.author!r}")
            ole.close()
        shutil.rmtree(os.path.join(folder, "applied"), ignore_errors=True)
    for failure in failures:
        print(failure)
    print(f"independent package reader: {len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
