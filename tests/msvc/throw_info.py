#!/usr/bin/env python3
"""Prints the throw information of a Microsoft-ABI DLL, as a host's runtime reads it to match a
thrown object with its catch clauses.

    throw_info.py DLL

For each _ThrowInfo record of the image, one line of its catchable types, the thrown type first,
each as its type descriptor's name and the size of the object, NAME:SIZE; the lines sorted. The
records are found by their shape: a _ThrowInfo refers to a _CatchableTypeArray, whose
_CatchableType entries each refer to a TypeDescriptor. References are 32-bit addresses on i686
and 32-bit offsets from the image base on x86_64.
"""
import struct
import sys

MACHINE_I386 = 0x14C
SECTION_CODE = 0x20
SECTION_EXECUTE = 0x20000000
# _ThrowInfo's attributes: const, volatile, unaligned, pure, WinRT.
THROW_ATTRIBUTES = 0x1F
# More catchable types than any class hierarchy here has: the rest is not a record.
MOST_CATCHABLE_TYPES = 16


class Image:
    def __init__(self, path):
        self.data = open(path, "rb").read()
        pe = struct.unpack_from("<I", self.data, 0x3C)[0]
        if self.data[pe:pe + 4] != b"PE\0\0":
            raise SystemExit(f"{path} is not a PE image")
        machine, sections, _, _, _, optional_size = struct.unpack_from("<HHIIIH", self.data, pe + 4)
        optional = pe + 24
        magic = struct.unpack_from("<H", self.data, optional)[0]
        self.pointer_size = 8 if magic == 0x20B else 4
        self.base = (struct.unpack_from("<Q", self.data, optional + 24)[0] if magic == 0x20B
                     else struct.unpack_from("<I", self.data, optional + 28)[0])
        self.absolute = machine == MACHINE_I386
        self.sections = []
        table = optional + optional_size
        for index in range(sections):
            header = table + 40 * index
            virtual_size, rva, raw_size, raw = struct.unpack_from("<IIII", self.data, header + 8)
            flags = struct.unpack_from("<I", self.data, header + 36)[0]
            self.sections.append((rva, min(virtual_size, raw_size), raw, flags))

    def offset(self, rva, size):
        """The file offset of `size` bytes at `rva`, or None when they are not in the file."""
        for start, length, raw, _ in self.sections:
            if start <= rva and rva + size <= start + length:
                return raw + rva - start
        return None

    def executable(self, rva):
        return any(start <= rva < start + length and flags & (SECTION_CODE | SECTION_EXECUTE)
                   for start, length, _, flags in self.sections)

    def target(self, reference):
        """The offset from the image base that a reference in a throw record stands for."""
        if not self.absolute:
            return reference
        return reference - self.base if reference >= self.base else None

    def words(self, rva, count):
        at = self.offset(rva, 4 * count)
        return None if at is None else struct.unpack_from(f"<{count}I", self.data, at)

    def type_name(self, reference):
        """The name of the TypeDescriptor at `reference`: after its vftable and spare pointers."""
        rva = self.target(reference)
        if rva is None:
            return None
        at = self.offset(rva + 2 * self.pointer_size, 1)
        if at is None:
            return None
        end = self.data.find(b"\0", at, at + 512)
        name = self.data[at:end] if end > at else b""
        if not name.startswith(b".") or not all(32 < byte < 127 for byte in name):
            return None
        return name.decode("ascii")

    def catchable_type(self, reference):
        """NAME:SIZE of a _CatchableType: properties, type, displacement (3), size, copy function."""
        rva = self.target(reference)
        fields = None if rva is None else self.words(rva, 7)
        if fields is None:
            return None
        name = self.type_name(fields[1])
        return None if name is None else f"{name}:{fields[5]}"

    def catchable_types(self, reference):
        """The entries of a _CatchableTypeArray: its count, then a reference to each."""
        rva = self.target(reference)
        count = None if rva is None else self.words(rva, 1)
        if count is None or not 0 < count[0] <= MOST_CATCHABLE_TYPES:
            return None
        entries = self.words(rva + 4, count[0])
        if entries is None:
            return None
        types = [self.catchable_type(entry) for entry in entries]
        return None if None in types else types

    def throw_infos(self):
        """Each record shaped as a _ThrowInfo: attributes, destructor, forward compatibility
        (none here), catchable type array."""
        found = set()
        for start, length, _, flags in self.sections:
            if flags & (SECTION_CODE | SECTION_EXECUTE):
                continue
            for rva in range(start, start + length - 15, 4):
                attributes, destructor, forward, array = self.words(rva, 4)
                if attributes & ~THROW_ATTRIBUTES or forward != 0 or array == 0:
                    continue
                if destructor != 0:
                    destructor_rva = self.target(destructor)
                    if destructor_rva is None or not self.executable(destructor_rva):
                        continue
                types = self.catchable_types(array)
                if types:
                    found.add(" ".join(types))
        return sorted(found)


def main():
    for line in Image(sys.argv[1]).throw_infos():
        print(line)


if __name__ == "__main__":
    main()
