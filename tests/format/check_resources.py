#!/usr/bin/env python3
"""Checks the version resource and the manifest of a PE file from the file itself.
   check_resources.py FILE"""
import re
import struct
import sys

data = open(sys.argv[1], "rb").read()
pe = struct.unpack_from("<I", data, 0x3C)[0]
sections, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
optional = pe + 24
directory = optional + (96 if struct.unpack_from("<H", data, optional)[0] == 0x10B else 112)
rsrc_rva = struct.unpack_from("<I", data, directory + 2 * 8)[0]
table = optional + optional_size


def offset(rva):
    for i in range(sections):
        size, address, raw_size, raw = struct.unpack_from("<IIII", data, table + 40 * i + 8)
        if address <= rva < address + max(size, raw_size):
            return rva - address + raw
    sys.exit("RVA %#x lies in no section" % rva)


base = offset(rsrc_rva)


def entries(at):  # (id, is_directory, target offset) of one resource directory
    names, ids = struct.unpack_from("<HH", data, base + at + 12)
    for i in range(names + ids):
        ident, target = struct.unpack_from("<II", data, base + at + 16 + 8 * i)
        yield ident, bool(target & 0x80000000), target & 0x7FFFFFFF


def resources():  # {(type, id, language): bytes}
    found = {}
    for kind, _, names in entries(0):
        for ident, _, languages in entries(names):
            for language, _, leaf in entries(languages):
                rva, size = struct.unpack_from("<II", data, base + leaf)
                found[(kind, ident, language)] = data[offset(rva):offset(rva) + size]
    return found


def version_strings(block):  # key -> value of the StringFileInfo tables
    found = {}

    def node(at, end):
        length, value_length, kind = struct.unpack_from("<HHH", block, at)
        key_end = at + 6
        while block[key_end:key_end + 2] != b"\0\0":
            key_end += 2
        key = block[at + 6:key_end].decode("utf-16-le")
        value = (key_end + 2 + 3) & ~3
        if kind == 1 and value_length:
            found[key] = block[value:value + 2 * value_length].decode("utf-16-le").rstrip("\0")
        child = (value + (2 * value_length if kind == 1 else value_length) + 3) & ~3
        while child < at + length:
            child = (node(child, at + length) + 3) & ~3
        return at + length

    node(0, len(block))
    return found


failures = []
found = resources()
manifest = found.get((24, 1, 1033)) or next((v for (t, i, _), v in found.items() if (t, i) == (24, 1)), b"")
text = manifest.decode("utf-8", "replace")
if not re.search(r'<requestedExecutionLevel\s+level="requireAdministrator"', text):
    failures.append("manifest (24, 1) does not require administrator rights")
for os_id in ("e2011457-1546-43c5-a5fe-008deee3d3f0", "35138b9a-5d96-4fbd-8e2d-a2440225f93a",
              "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38", "1f676c76-80e1-4239-95bb-83d0f6d0da78",
              "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"):
    if '<supportedOS Id="{%s}"/>' % os_id not in text:
        failures.append("manifest lacks supportedOS %s" % os_id)

version = found.get((16, 1, 1033), b"")
fixed = version.find(struct.pack("<I", 0xFEEF04BD))
if fixed < 0:
    failures.append("no version resource (16, 1) in language 1033")
else:
    numbers = struct.unpack_from("<IIII", version, fixed + 8)
    if numbers != (0x10003, 0, 0x10003, 0):
        failures.append("binary file and product versions are not 1.3.0.0: %r" % (numbers,))
    strings = version_strings(version)
    expected = {"FileVersion": "1.3.0.0", "ProductVersion": "1.3.0.0", "CompanyName": "Quorvex",
                "ProductName": "OLE for Point of Sale Magnetic Stripe Reader",
                "FileDescription": "OLE for Point of Sale Magnetic Stripe Reader Setup",
                "OriginalFilename": "SETUP.EXE"}
    for key, value in expected.items():
        if strings.get(key) != value:
            failures.append("version %s is %r, not %r" % (key, strings.get(key), value))
    if b"\x09\x04\xb0\x04" not in version:  # the translation: 1033 with Unicode
        failures.append("version resource names no 1033 translation")

for failure in failures:
    print("%s: %s" % (sys.argv[1], failure))
sys.exit(1 if failures else 0)
