#!/usr/bin/env python3
"""Shows that the mingw-w64 archive ships GCC's runtime DLLs as the toolchain has them: each DLL of
a triplet's bin/ that the build's compiler knows (-print-file-name) is that very file, byte for
byte, with no debug file of ours beside it. The 32-bit triplet must have some.

    check_gcc_runtime.py BUILDS ARCHIVE_DIR

BUILDS holds the build trees, one per triplet's architecture (i686, x86_64); ARCHIVE_DIR is the
unpacked mingw-w64 archive.
"""
import glob
import os
import re
import subprocess
import sys


def compiler(build):
    """The C++ compiler that CMake found for the build tree."""
    found = glob.glob(os.path.join(build, "CMakeFiles", "*", "CMakeCXXCompiler.cmake"))
    text = open(found[0], encoding="utf-8").read()
    return re.search(r'^set\(CMAKE_CXX_COMPILER "([^"]*)"\)', text, re.M).group(1)


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: check_gcc_runtime.py BUILDS ARCHIVE_DIR")
    builds, archive = sys.argv[1:]
    failures = []
    for triplet in sorted(f for f in os.listdir(archive) if f.endswith("-w64-mingw32")):
        cxx = compiler(os.path.join(builds, triplet.split("-")[0]))
        bin_dir = os.path.join(archive, triplet, "bin")
        theirs = []
        for dll in sorted(f for f in os.listdir(bin_dir) if f.endswith(".dll")):
            known = subprocess.run([cxx, f"-print-file-name={dll}"], check=True,
                                   capture_output=True, text=True).stdout.strip()
            if not os.path.isabs(known):
                continue
            theirs.append(dll)
            if open(os.path.realpath(known), "rb").read() != open(os.path.join(bin_dir, dll),
                                                                  "rb").read():
                failures.append(f"{triplet}/bin/{dll} differs from {os.path.realpath(known)}")
            if os.path.exists(os.path.join(bin_dir, dll + ".debug")):
                failures.append(f"{triplet}/bin/{dll} has a debug file of ours beside it")
        if triplet.startswith("i686") and not theirs:
            failures.append(f"{triplet}/bin/ has none of GCC's runtime DLLs")
        print(f"{triplet}: GCC's runtime DLLs {', '.join(theirs) or 'none'}")
    if failures:
        sys.exit("GCC's runtime DLLs:\n  " + "\n  ".join(failures))


if __name__ == "__main__":
    main()
