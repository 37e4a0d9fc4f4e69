#!/usr/bin/env python3
"""Shows that the two builds of Mokacomm.dll carry the same resources and texts, byte for byte.

    compare_flavours.py MINGW_DLL MSVC_DLL LIBRARY_TEXTS

Every resource (type, name, language and data) of the one DLL is in the other, and nothing else;
every text of LIBRARY_TEXTS (UTF-8, the source of the library's texts) is in both DLLs in UTF-16
with the terminating NUL, and in code page 932 in both or in neither (only the texts that the
interface hands out keep that form). Exits 77, which CTest counts as skipped, when the mingw-w64
DLL has not been built.
"""
import os
import re
import subprocess
import sys

from throw_info import Image

SECTION_DISCARDABLE = 0x02000000


def resources(dll):
    """The resource tree as llvm-readobj prints it, without the places the linker chose."""
    text = subprocess.run(["llvm-readobj-14", "--coff-resources", dll], check=True,
                          capture_output=True, text=True).stdout
    placed = re.compile(r"^\s*(File|Format|Arch|AddressSize|Base Table Address|Table Offset|"
                        r"Entry Offset|DataRVA):")
    return [line for line in text.splitlines() if not placed.match(line)]


def loaded_bytes(dll):
    """The sections of the DLL that stay loaded: the debug sections are discardable, and their
    DWARF names the value of every constant."""
    image = Image(dll)
    return b"".join(image.data[raw:raw + length] for _, length, raw, flags in image.sections
                    if not flags & SECTION_DISCARDABLE)


ESCAPES = {"n": "\n", "t": "\t", "\\": "\\", "\"": "\""}


def texts(path):
    """The texts of the texts file, with their escapes resolved."""
    source = open(path, encoding="utf-8").read()
    values = []
    # A literal may be split over several lines, as in C++: adjacent pieces are joined. Narrow
    # and wide definitions alike.
    for definition in re.findall(
            r"constexpr (?:char|wchar_t) \w+\[\] =((?:\s*L?\"(?:[^\"\\]|\\.)*\")+);", source):
        pieces = re.findall(r"\"((?:[^\"\\]|\\.)*)\"", definition)
        values.append(re.sub(r"\\(.)", lambda m: ESCAPES[m.group(1)], "".join(pieces)))
    return values


def main():
    mingw, msvc, library_texts = sys.argv[1:4]
    if not os.path.exists(mingw):
        print(f"{mingw} is not built: build its preset to compare the resources")
        return 77
    failures = []
    mingw_resources, msvc_resources = resources(mingw), resources(msvc)
    if mingw_resources != msvc_resources:
        failures.append("the resources differ:\n" + "\n".join(
            line for line in set(mingw_resources) ^ set(msvc_resources)))
    data = {dll: loaded_bytes(dll) for dll in (mingw, msvc)}
    expected = texts(library_texts)
    for text in expected:
        utf16 = text.encode("utf-16-le") + b"\0\0"
        for dll in (mingw, msvc):
            if utf16 not in data[dll]:
                failures.append(f"{dll} lacks the text {text!r} in UTF-16")
        cp932 = text.encode("cp932") + b"\0"
        if (cp932 in data[mingw]) != (cp932 in data[msvc]):
            failures.append(f"only one DLL has the text {text!r} in code page 932")
    leaves = sum(1 for line in msvc_resources if "DataSize" in line)
    print(f"{leaves} resources and {len(expected)} texts compared")
    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
