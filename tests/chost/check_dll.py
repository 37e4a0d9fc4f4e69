#!/usr/bin/env python3
"""Checks the export and import tables of MokacommC.dll.

    check_dll.py DLL DEF HEADER

- It exports exactly the functions of the .def file, which are exactly those that the header
  declares, each under its plain name: no stdcall decoration (_Name@N), no C++ name.
- It imports system DLLs only, so that it needs nothing beside it.
"""
import re
import subprocess
import sys

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "advapi32.dll", "msvcrt.dll"}


def readobj(option, dll):
    return subprocess.run(["llvm-readobj-14", option, dll], check=True, capture_output=True,
                          text=True).stdout


def main():
    dll, def_file, header = sys.argv[1:4]
    exported = set(re.findall(r"^\s*Name: (\S+)$", readobj("--coff-exports", dll), re.M))
    in_def = set(re.findall(r"^\s+([A-Za-z_]\w*)\s*$", open(def_file).read(), re.M))
    declared = set(re.findall(r"^MOKACOMM_C_API\b[^(]*\bWINAPI\s+(\w+)\(", open(header).read(),
                              re.M))
    imported = {name.lower()
                for name in re.findall(r"^\s*Name: (\S+\.dll)$", readobj("--coff-imports", dll),
                                       re.M | re.I)}
    failures = []
    if in_def != declared:
        failures.append(f"the .def and the header differ: {sorted(in_def ^ declared)}")
    if exported != in_def:
        failures.append(f"exported but not in the .def: {sorted(exported - in_def)}; "
                        f"in the .def but not exported: {sorted(in_def - exported)}")
    if imported - SYSTEM_DLLS:
        failures.append(f"imports from {sorted(imported - SYSTEM_DLLS)}")
    print(f"{len(exported)} exports; imports from {sorted(imported)}")
    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
