#!/usr/bin/env python3
"""What Windows reads from Ricordex.exe before it runs a line of it: the
header's flags and versions, the libraries it loads with it, and the
manifest among the resources.

Usage: executable_test.py Ricordex.exe
"""
import struct
import sys
import xml.etree.ElementTree as ElementTree

TERMINAL_SERVER_AWARE = 0x8000
RT_MANIFEST = 24
SETTINGS_2016 = "{http://schemas.microsoft.com/SMI/2016/WindowsSettings}"
ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"


class Image:
    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        assert data[pe:pe + 4] == b"PE\0\0", "not a PE image"
        sections, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
        self.optional = pe + 24
        assert self.u16(self.optional) == 0x20B, "not a 64-bit image"
        table = self.optional + optional_size
        self.sections = [struct.unpack_from("<8xIIII", data, table + 40 * i) for i in range(sections)]

    def u16(self, offset):
        return struct.unpack_from("<H", self.data, offset)[0]

    def u32(self, offset):
        return struct.unpack_from("<I", self.data, offset)[0]

    def field(self, offset):  # an offset into the 64-bit optional header
        return self.u16(self.optional + offset)

    def at(self, rva):
        for size, address, raw_size, raw in self.sections:
            if address <= rva < address + max(size, raw_size):
                return raw + rva - address
        raise ValueError("address %#x is in no section" % rva)

    def imports(self):
        """The libraries loaded with the program, lowercase."""
        descriptor = self.at(self.u32(self.optional + 112 + 1 * 8))  # data directory 1
        names = []
        while self.u32(descriptor + 12) != 0:
            name = self.at(self.u32(descriptor + 12))
            names.append(self.data[name:self.data.index(b"\0", name)].decode("ascii").lower())
            descriptor += 20
        return names

    def resource(self, kind, name):
        """The bytes of a resource, in its first language."""
        directory = self.u32(self.optional + 112 + 2 * 8)  # data directory 2
        root = self.at(directory)

        def entry(table, wanted):
            named, numbered = self.u16(table + 12), self.u16(table + 14)
            for i in range(named + numbered):
                key, target = struct.unpack_from("<II", self.data, table + 16 + 8 * i)
                if wanted is None or key == wanted:
                    return target
            raise KeyError(wanted)

        languages = root + (entry(root + (entry(root, kind) & 0x7FFFFFFF), name) & 0x7FFFFFFF)
        leaf = root + entry(languages, None)
        address, size = struct.unpack_from("<II", self.data, leaf)
        return self.data[self.at(address):self.at(address) + size]


def check(image):
    failures = []

    def expect(condition, what):
        if not condition:
            failures.append(what)

    expect(image.field(68) == 2, "the Windows GUI subsystem")
    expect(image.field(70) & TERMINAL_SERVER_AWARE, "aware of Remote Desktop sessions (--tsaware)")
    expect((image.field(40), image.field(42)) == (6, 1), "operating system version 6.1")
    expect((image.field(48), image.field(50)) == (6, 1), "subsystem version 6.1")

    # What only a command needs is loaded when it is first used.
    late = {"shell32.dll", "ole32.dll", "oleaut32.dll", "comctl32.dll", "comdlg32.dll", "oleacc.dll",
            "uxtheme.dll", "winmm.dll"}
    loaded_at_start = set(image.imports())
    expect(not (loaded_at_start & late), "no late library among the imports: %s" % sorted(loaded_at_start & late))

    manifest = ElementTree.fromstring(image.resource(RT_MANIFEST, 1))
    settings = manifest.findall("%sapplication/%swindowsSettings" % (ASM_V3, ASM_V3))
    long_paths = [s.find(SETTINGS_2016 + "longPathAware") for s in settings]
    long_paths = [element for element in long_paths if element is not None]
    expect(len(long_paths) == 1 and long_paths[0].text.strip() == "true",
           "longPathAware true, in the 2016 settings, in the manifest")
    return failures


def main():
    with open(sys.argv[1], "rb") as program:
        failures = check(Image(program.read()))
    for failure in failures:
        print("missing:", failure)
    print("FAILED" if failures else "PASSED")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
