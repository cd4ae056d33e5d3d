"""Checks what a Windows executable makes the loader map before its first instruction.

The installer runs elevated from the user's download folder. The loader resolves its static imports with the
standard search order, which starts at the executable's folder, except for KnownDLLs, which always come from the
system folder. So every statically imported DLL must be a KnownDLL on every supported Windows (7 and later); any
other DLL must be delay-loaded, so that it loads only after the program has limited the search to the system folder.
The common controls come from the side-by-side assembly the manifest names, which must be of the image's own
architecture.

usage: check_imports.py --objdump <objdump> [--delayed <dll>]... <exe>...
"""
import argparse
import re
import struct
import subprocess
import sys

# KnownDLLs of Windows 7 that are still KnownDLLs on Windows 10 and 11 (newer additions such as gdiplus, combase
# or shcore are not known on Windows 7), plus ntdll, which the kernel maps into every process.
KNOWN_DLLS = {
    "advapi32.dll", "clbcatq.dll", "comdlg32.dll", "difxapi.dll", "gdi32.dll", "imagehlp.dll", "imm32.dll",
    "kernel32.dll", "msctf.dll", "msvcrt.dll", "normaliz.dll", "nsi.dll", "ntdll.dll", "ole32.dll",
    "oleaut32.dll", "psapi.dll", "rpcrt4.dll", "sechost.dll", "setupapi.dll", "shell32.dll", "shlwapi.dll",
    "user32.dll", "wldap32.dll", "ws2_32.dll",
}
# Not a KnownDLL, but the application manifest binds it to the common controls 6 assembly in WinSxS.
MANIFEST_BOUND = {"comctl32.dll"}

DELAY_DIRECTORY = 13
DELAY_DESCRIPTOR_SYMBOL = "__DELAY_IMPORT_DESCRIPTOR_"


def objdump(tool, *args):
    return subprocess.run([tool, *args], check=True, capture_output=True, text=True).stdout


def static_imports(tool, exe):
    """DLL names of the import table, as objdump interprets it."""
    names, inside = [], False
    for line in objdump(tool, "-p", exe).splitlines():
        if line.startswith("The Import Tables"):
            inside = True
        elif inside and line[:1].strip():
            break
        elif inside and line.strip().startswith("DLL Name:"):
            names.append(line.split(":", 1)[1].strip())
    return names


class Image:
    """Just enough of a PE32 or PE32+ file to follow relative virtual addresses."""

    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        pe = struct.unpack_from("<I", self.data, 0x3C)[0]
        if self.data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("%s is not a PE file" % path)
        sections, optional_size = struct.unpack_from("<2xH12xH", self.data, pe + 4)
        optional = pe + 24
        self.machine = struct.unpack_from("<H", self.data, pe + 4)[0]
        magic = struct.unpack_from("<H", self.data, optional)[0]
        if magic == 0x10B:    # PE32: 4-byte image base after the base of data
            self.image_base = struct.unpack_from("<I", self.data, optional + 28)[0]
            directory_table = optional + 92
        elif magic == 0x20B:  # PE32+: 8-byte image base in place of both, wider stack and heap sizes
            self.image_base = struct.unpack_from("<Q", self.data, optional + 24)[0]
            directory_table = optional + 108
        else:
            raise ValueError("%s has an unknown optional header (%#x)" % (path, magic))
        directories = struct.unpack_from("<I", self.data, directory_table)[0]
        self.directories = [struct.unpack_from("<II", self.data, directory_table + 4 + 8 * i)
                            for i in range(directories)]
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            size, rva, raw_size, raw = struct.unpack_from("<IIII", self.data, table + 40 * i + 8)
            self.sections.append((rva, max(size, raw_size), raw))

    def offset(self, rva):
        for start, size, raw in self.sections:
            if start <= rva < start + size:
                return raw + rva - start
        raise ValueError("address %#x is outside the image" % rva)

    def string(self, rva):
        at = self.offset(rva)
        return self.data[at:self.data.index(b"\0", at)].decode("ascii")

    def delay_dll_name(self, descriptor_rva):
        attributes, name = struct.unpack_from("<II", self.data, self.offset(descriptor_rva))
        if not attributes & 1:  # old style: virtual addresses rather than RVAs
            name -= self.image_base
        return self.string(name)


def delay_imports(tool, exe):
    """DLL names of the delay-import descriptors: from the data directory when the linker filled it in,
    otherwise from the descriptors' symbols (GNU ld leaves that directory empty)."""
    image = Image(exe)
    names = []
    rva = image.directories[DELAY_DIRECTORY][0] if len(image.directories) > DELAY_DIRECTORY else 0
    if rva:
        while True:
            if not any(image.data[image.offset(rva):image.offset(rva) + 32]):
                return names
            names.append(image.delay_dll_name(rva))
            rva += 32
    # objdump -t: "[n](sec  1)(fl 0x00)(ty 0)(scl 2) (nx 0) 0x<offset in section> <name>"
    for line in objdump(tool, "-t", exe).splitlines():
        fields = line.split()
        if not fields or not fields[-1].startswith(DELAY_DESCRIPTOR_SYMBOL) or "(sec" not in line:
            continue
        section = int(line.split("(sec", 1)[1].split(")", 1)[0])
        names.append(image.delay_dll_name(image.sections[section - 1][0] + int(fields[-2], 16)))
    return names


# The manifest's architecture per PE machine: a manifest naming another one (or binding the other
# architecture's common controls) makes Windows refuse to start the program.
MANIFEST_ARCH = {0x14C: "x86", 0x8664: "amd64"}


def manifest_problems(image):
    """The manifest is stored as plain text in the resources; every architecture it names must be the image's."""
    expected = MANIFEST_ARCH.get(image.machine)
    named = re.findall(rb'processorArchitecture="([^"]*)"', image.data)
    if not named:
        return ["no manifest naming an architecture found"]
    return ["the manifest names processorArchitecture %s in a %s image" % (arch.decode(), expected)
            for arch in named if arch.decode() not in (expected, "*")]


def check(tool, exe, delayed):
    problems = manifest_problems(Image(exe))
    imports = static_imports(tool, exe)
    lowered = {name.lower() for name in imports}
    if "kernel32.dll" not in lowered:
        problems.append("no import table found (expected at least KERNEL32.dll)")
    for name in imports:
        if name.lower() not in KNOWN_DLLS | MANIFEST_BOUND:
            problems.append("%s is imported statically but is not a KnownDLL: delay-load it" % name)
    late = {name.lower() for name in delay_imports(tool, exe)}
    for name in delayed:
        if name.lower() not in late:
            problems.append("%s is not delay-loaded" % name)
    print("%s\n  static imports: %s\n  delay-loaded:   %s" % (exe, ", ".join(imports), ", ".join(sorted(late))))
    for problem in problems:
        print("  FAIL: " + problem)
    return not problems


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--objdump", required=True)
    parser.add_argument("--delayed", action="append", default=[])
    parser.add_argument("exe", nargs="+")
    args = parser.parse_args()
    results = [check(args.objdump, exe, args.delayed) for exe in args.exe]
    return 0 if all(results) else 1


if __name__ == "__main__":
    sys.exit(main())
