#!/usr/bin/env python3
"""manifest.py FILE... -- the application manifest of each program, read
independently of our own code.

Each FILE must be a PE image (i386 or x86-64) whose resource directory holds
exactly one RT_MANIFEST resource, id 1, in one language; its bytes must be
well-formed XML (expat, through ElementTree) with an asm.v1 assembly that asks
for administrator rights (requestedExecutionLevel level="requireAdministrator"
uiAccess="false", in an asm.v3 trustInfo) and names exactly the Windows
versions below as supportedOS.  One line per file; exit code 1 if any fails.

The layout read (all little-endian): the DOS header's 0x3C holds the offset
of "PE\\0\\0"; the file header follows it (machine 16 bits, section count 16,
three 32-bit fields, optional header size 16, characteristics 16), then the
optional header (magic 0x10B or 0x20B; the data directories from byte 96 or
112, entry 2 the resources: RVA and size), then 40-byte section headers
(virtual size and address at 8 and 12, raw size and offset at 16 and 20).
A resource directory table is 16 bytes (named and id entry counts at 12 and
14), then 8-byte entries: name or id, and an offset from the start of the
resources, its top bit set for a further table; a data entry gives the
data's RVA and size.
"""
import struct
import sys
import xml.etree.ElementTree as ET

RT_MANIFEST = 24
MACHINES = {0x14C: "i386", 0x8664: "x86-64"}
SUPPORTED_OS = {
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}": "Vista",
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}": "7",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}": "8",
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}": "8.1",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}": "10 and 11",
}
ASM_V1 = "{urn:schemas-microsoft-com:asm.v1}"
ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"
COMPAT = "{urn:schemas-microsoft-com:compatibility.v1}"


class Bad(Exception):
    pass


def u16(b, at):
    if at + 2 > len(b):
        raise Bad("truncated at %#x" % at)
    return struct.unpack_from("<H", b, at)[0]


def u32(b, at):
    if at + 4 > len(b):
        raise Bad("truncated at %#x" % at)
    return struct.unpack_from("<I", b, at)[0]


def pe_layout(b):
    """The machine, the sections (rva, vsize, raw offset, raw size) and the
    resource directory's RVA."""
    if b[:2] != b"MZ":
        raise Bad("no MZ header")
    nt = u32(b, 0x3C)
    if b[nt:nt + 4] != b"PE\0\0":
        raise Bad("no PE signature")
    machine, count = u16(b, nt + 4), u16(b, nt + 6)
    opt = nt + 24
    magic = u16(b, opt)
    if magic not in (0x10B, 0x20B):
        raise Bad("optional header magic %#x" % magic)
    dirs = opt + (96 if magic == 0x10B else 112)
    if u32(b, dirs - 4) <= 2:
        raise Bad("no resource data directory")
    rsrc = u32(b, dirs + 2 * 8)
    first = opt + u16(b, nt + 20)
    sections = []
    for i in range(count):
        s = first + 40 * i
        sections.append((u32(b, s + 12), u32(b, s + 8), u32(b, s + 20),
                         u32(b, s + 16)))
    return machine, sections, rsrc


def file_offset(sections, rva):
    for va, vsize, raw, rawsize in sections:
        if va <= rva < va + max(vsize, rawsize):
            return raw + (rva - va)
    raise Bad("RVA %#x lies in no section" % rva)


def entries(b, base, table):
    """(id or None for a named entry, offset, is_table) of one table."""
    at = base + table
    n = u16(b, at + 12) + u16(b, at + 14)
    out = []
    for i in range(n):
        e = at + 16 + 8 * i
        name, off = u32(b, e), u32(b, e + 4)
        out.append((None if name & 0x80000000 else name,
                    off & 0x7FFFFFFF, bool(off & 0x80000000)))
    return out


def manifest_bytes(b):
    machine, sections, rsrc = pe_layout(b)
    if rsrc == 0:
        raise Bad("no resources")
    base = file_offset(sections, rsrc)
    types = [e for e in entries(b, base, 0) if e[0] == RT_MANIFEST]
    if len(types) != 1 or not types[0][2]:
        raise Bad("%d RT_MANIFEST type entries, want 1" % len(types))
    ids = entries(b, base, types[0][1])
    if [e[0] for e in ids] != [1] or not ids[0][2]:
        raise Bad("RT_MANIFEST ids %s, want [1]" % [e[0] for e in ids])
    langs = entries(b, base, ids[0][1])
    if len(langs) != 1 or langs[0][2]:
        raise Bad("%d languages of manifest 1, want 1" % len(langs))
    data = base + langs[0][1]
    at, size = file_offset(sections, u32(b, data)), u32(b, data + 4)
    if at + size > len(b):
        raise Bad("the manifest runs past the end of the file")
    return machine, b[at:at + size]


def check_xml(text):
    try:
        root = ET.fromstring(text)
    except ET.ParseError as e:
        raise Bad("not well-formed XML: %s" % e)
    if root.tag != ASM_V1 + "assembly" or root.get("manifestVersion") != "1.0":
        raise Bad("root is %s manifestVersion=%s, want an asm.v1 assembly 1.0"
                  % (root.tag, root.get("manifestVersion")))
    path = (ASM_V3 + "trustInfo/" + ASM_V3 + "security/" + ASM_V3 +
            "requestedPrivileges/" + ASM_V3 + "requestedExecutionLevel")
    levels = root.findall(path)
    if len(levels) != 1:
        raise Bad("%d requestedExecutionLevel elements, want 1" % len(levels))
    got = (levels[0].get("level"), levels[0].get("uiAccess"))
    if got != ("requireAdministrator", "false"):
        raise Bad("level=%s uiAccess=%s, want requireAdministrator and false"
                  % got)
    ids = [e.get("Id") for e in
           root.findall(COMPAT + "compatibility/" + COMPAT + "application/" +
                        COMPAT + "supportedOS")]
    if sorted(ids) != sorted(SUPPORTED_OS):
        missing = [v for k, v in SUPPORTED_OS.items() if k not in ids]
        extra = [i for i in ids if i not in SUPPORTED_OS]
        raise Bad("supportedOS: missing %s, unknown %s, %d in all"
                  % (missing, extra, len(ids)))


def main(files):
    if not files:
        print("usage: manifest.py FILE...", file=sys.stderr)
        return 2
    fails = 0
    for f in files:
        try:
            with open(f, "rb") as h:
                b = h.read()
            machine, text = manifest_bytes(b)
            if machine not in MACHINES:
                raise Bad("machine %#x" % machine)
            check_xml(text)
            print("ok: %s: %s, manifest of %d bytes" %
                  (f, MACHINES[machine], len(text)))
        except (Bad, OSError) as e:
            print("FAIL: %s: %s" % (f, e))
            fails += 1
    return 1 if fails else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
