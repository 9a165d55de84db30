#!/usr/bin/env python3
"""Checks the application manifest and the version resource of velmora.exe.

usage: check_resources.py <program.exe>

The PE file's resource tree is read here directly (no external tools): the
manifest (RT_MANIFEST 1) must ask for common controls 6 and asInvoker, name
Windows 7, 8, 8.1 and 10/11 as supported, declare no DPI awareness and ask
for GDI scaling; the
version resource (RT_VERSION 1) must carry the version of src/version.h, the
product name and a description.
"""
import os
import re
import struct
import sys
import xml.etree.ElementTree as ET

RT_VERSION, RT_MANIFEST = 16, 24
SUPPORTED_OS = {
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}": "Windows 7",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}": "Windows 8",
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}": "Windows 8.1",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}": "Windows 10 and 11",
}


def source_version():
    """("1.01", (1, 1, 0, 0)) as src/version.h writes them."""
    header = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "src", "version.h")
    with open(header, encoding="utf-8") as f:
        text = f.read()
    name = re.search(r'#define VELMORA_VERSION "([^"]+)"', text).group(1)
    numbers = tuple(int(n) for n in re.search(r"#define VELMORA_VERSION_NUMBERS ([\d, ]+)", text).group(1).split(","))
    return name, numbers


class PeError(Exception):
    pass


def resources(image):
    """{(type, name): bytes} for numeric types and names of the resource tree."""
    if image[:2] != b"MZ":
        raise PeError("not an MZ file")
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    if image[pe:pe + 4] != b"PE\0\0":
        raise PeError("no PE signature")
    sections_count, = struct.unpack_from("<H", image, pe + 6)
    optional_size, = struct.unpack_from("<H", image, pe + 20)
    optional = pe + 24
    magic, = struct.unpack_from("<H", image, optional)
    directories = optional + (96 if magic == 0x10B else 112)
    resource_rva, resource_size = struct.unpack_from("<II", image, directories + 2 * 8)
    if resource_rva == 0:
        raise PeError("no resource directory")
    sections = []
    for i in range(sections_count):
        base = optional + optional_size + 40 * i
        vsize, vaddr, rawsize, rawptr = struct.unpack_from("<IIII", image, base + 8)
        sections.append((vaddr, max(vsize, rawsize), rawptr))

    def offset(rva):
        for vaddr, size, rawptr in sections:
            if vaddr <= rva < vaddr + size:
                return rva - vaddr + rawptr
        raise PeError(f"RVA {rva:#x} outside every section")

    root = offset(resource_rva)

    def entries(directory):
        named, ids = struct.unpack_from("<HH", image, root + directory + 12)
        for i in range(named + ids):
            name, target = struct.unpack_from("<II", image, root + directory + 16 + 8 * i)
            if name & 0x80000000:
                at = root + (name & 0x7FFFFFFF)
                length, = struct.unpack_from("<H", image, at)
                name = image[at + 2:at + 2 + 2 * length].decode("utf-16-le")
            yield name, target

    found = {}
    for rtype, type_target in entries(0):
        for rname, name_target in entries(type_target & 0x7FFFFFFF):
            for _lang, leaf in entries(name_target & 0x7FFFFFFF):
                data_rva, size = struct.unpack_from("<II", image, root + leaf)
                start = offset(data_rva)
                found[(rtype, rname)] = image[start:start + size]
    return found


def version_blocks(data, at=0):
    """One VS_VERSIONINFO-style block: (key, value bytes, value type, children)."""
    length, value_length, value_type = struct.unpack_from("<HHH", data, at)
    end = at + length
    key_start = at + 6
    key_end = key_start
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[key_start:key_end].decode("utf-16-le")
    pos = (key_end + 2 + 3) & ~3
    value_bytes = value_length * (2 if value_type == 1 else 1)
    value = data[pos:pos + value_bytes]
    pos = (pos + value_bytes + 3) & ~3
    children = []
    while pos < end:
        child = version_blocks(data, pos)
        children.append(child[:4])
        pos = (pos + child[4] + 3) & ~3
    return key, value, value_type, children, length


def version_strings(data):
    key, fixed, _type, children, _len = version_blocks(data)
    if key != "VS_VERSION_INFO":
        raise PeError(f"version resource starts with {key!r}")
    signature, _struct_version, ms, ls, pms, pls = struct.unpack_from("<IIIIII", fixed, 0)
    if signature != 0xFEEF04BD:
        raise PeError("no VS_FIXEDFILEINFO")
    strings = {}
    for child_key, _v, _t, tables in children:
        if child_key != "StringFileInfo":
            continue
        for _table_key, _tv, _tt, values in tables:
            for name, value, vtype, _c in values:
                text = value.decode("utf-16-le") if vtype == 1 else value.decode("latin-1")
                strings[name] = text.rstrip("\0")
    return (ms, ls, pms, pls), strings


def check_manifest(text, problems):
    ns = {"v1": "urn:schemas-microsoft-com:asm.v1", "v3": "urn:schemas-microsoft-com:asm.v3",
          "c": "urn:schemas-microsoft-com:compatibility.v1"}
    root = ET.fromstring(text)
    controls = [a for a in root.iterfind(".//v1:dependentAssembly/v1:assemblyIdentity", ns)
                if a.get("name") == "Microsoft.Windows.Common-Controls"]
    if not controls or controls[0].get("version") != "6.0.0.0":
        problems.append("manifest: no dependency on common controls 6.0.0.0")
    levels = [e.get("level") for e in root.iter() if e.tag.endswith("}requestedExecutionLevel")]
    if levels != ["asInvoker"]:
        problems.append(f"manifest: execution level {levels}, expected ['asInvoker']")
    declared = {e.get("Id", "").lower() for e in root.iter() if e.tag.endswith("}supportedOS")}
    for guid, name in SUPPORTED_OS.items():
        if guid not in declared:
            problems.append(f"manifest: {name} not declared as supported")
    dpi = [e.tag for e in root.iter() if e.tag.split("}")[-1].lower() in ("dpiaware", "dpiawareness")]
    if dpi:
        problems.append(f"manifest declares DPI awareness: {dpi}")
    gdi = root.findall(".//v3:application/v3:windowsSettings/{http://schemas.microsoft.com/SMI/2017/WindowsSettings}"
                       "gdiScaling", ns)
    if [e.text.strip().lower() for e in gdi] != ["true"]:
        problems.append("manifest: no gdiScaling true in the windowsSettings of Windows 10 1703")


def main(argv):
    if len(argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    with open(argv[1], "rb") as f:
        image = f.read()
    problems = []
    try:
        found = resources(image)
        manifest = found.get((RT_MANIFEST, 1))
        if manifest is None:
            problems.append("no manifest resource (RT_MANIFEST 1)")
        else:
            check_manifest(manifest.decode("utf-8"), problems)
        version = found.get((RT_VERSION, 1))
        if version is None:
            problems.append("no version resource (RT_VERSION 1)")
        else:
            (ms, ls, pms, pls), strings = version_strings(version)
            text, numbers = source_version()
            expected_ms = numbers[0] << 16 | numbers[1]
            if (ms, pms) != (expected_ms, expected_ms):
                problems.append(f"file/product version {ms >> 16}.{ms & 0xFFFF}/{pms >> 16}.{pms & 0xFFFF}, "
                                f"expected {numbers[0]}.{numbers[1]} ({text})")
            for name, expected in (("ProductName", "Velmora"), ("ProductVersion", text),
                                   ("FileVersion", text), ("OriginalFilename", "velmora.exe")):
                if strings.get(name) != expected:
                    problems.append(f"version string {name} is {strings.get(name)!r}, expected {expected!r}")
            if not strings.get("FileDescription"):
                problems.append("version resource has no FileDescription")
            print("version strings: " + ", ".join(f"{k}={v}" for k, v in sorted(strings.items())))
    except (PeError, struct.error, ET.ParseError, UnicodeDecodeError) as e:
        problems.append(f"unreadable: {e}")
    for p in problems:
        print(p, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
