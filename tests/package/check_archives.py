#!/usr/bin/env python3
"""Checks the release archives and unpacks them.

    check_archives.py SOURCE DIST UNPACKED

- SHA256SUMS holds the checksums of the two archives and of the NuGet package;
- each archive and the package hold exactly the files that README.md and README.ja.md list for
  them, in name order, all with one time, and the two READMEs name the same members, hooks and
  codes;
- the property sheet takes, for Win32 and x64, the files of the archive (check_msbuild.py);
- each DLL's debug information leads to CCommLib::Open or MokacommOpen (check_debug_info.cmake),
  and its image version is VERSION's major.minor;
- MokacommC.def is the same in both archives for each architecture, and the import library that
  it makes is the msvc archive's MokacommC.lib: the same symbols, each imported by the same name
  from MokacommC.dll. On i686 that takes the functions' argument bytes, which llvm-dlltool -k
  reads as lib /def does.
The archives are unpacked into UNPACKED, for the outside project to use.
"""
import hashlib
import os
import re
import struct
import subprocess
import sys
import tempfile
import zipfile

from check_msbuild import check as check_msbuild

HERE = os.path.dirname(os.path.abspath(__file__))
DLLS = ("Mokacomm", "MokacommC")
# Each architecture's folder in the two archives, and llvm-dlltool's name for its machine.
ARCHITECTURES = {"x86": ("i686-w64-mingw32", "i386"), "x64": ("x86_64-w64-mingw32", "i386:x86-64")}
failures = []


def documented_files(readme, version):
    """{archive or package: [files]} of the listings in the README's code blocks: one name a line,
    a folder (ending in /) holding the lines indented under it, a comment after two spaces. An
    archive's listing starts with its top folder, which its files' names start with; the NuGet
    package's with the package's name."""
    listings = {}
    for block in re.findall(r"^```[a-z]*\n(.*?)^```", open(readme, encoding="utf-8").read(),
                            re.M | re.S):
        lines = block.replace("<version>", version).splitlines()
        first = lines[0].strip()
        if re.fullmatch(rf"Mokacomm-{re.escape(version)}-(msvc|mingw)/", first):
            listing, folders = first.rstrip("/"), [first]
        elif first == f"Mokacomm.{version}.nupkg":
            listing, folders = first, [""]
        else:
            continue
        files = []
        for line in lines[1:]:
            depth = (len(line) - len(line.lstrip(" "))) // 2
            name = line.strip().split("  ")[0]
            del folders[depth:]
            if name.endswith("/"):
                folders.append(name)
            else:
                files.append("".join(folders) + name)
        listings[listing] = sorted(files)
    return listings


def check_listing(archive, names, source, version):
    top = re.sub(r"\.zip$", "", os.path.basename(archive))
    for readme in ("README.md", "README.ja.md"):
        documented = documented_files(os.path.join(source, readme), version).get(top)
        if documented is None:
            failures.append(f"{readme} lists no files for {top}")
        elif documented != sorted(names):
            failures.append(f"{top} differs from {readme}'s list:\n"
                            f"    only in the archive: {sorted(set(names) - set(documented))}\n"
                            f"    only in {readme}: {sorted(set(documented) - set(names))}")


def interface_names(readme):
    """The members, hooks and codes that the README names in its text and tables."""
    text = re.sub(r"^```.*?^```", "", open(readme, encoding="utf-8").read(), flags=re.M | re.S)
    return {name for name in re.findall(r"`([^`\n]+)`", text)
            if re.match(r"(ERR|PORT|EV|MS|CE)_\w+$|Event\w+|(static )?~?[A-Za-z]+\(", name)}


def check_readmes_in_step(source):
    english = interface_names(os.path.join(source, "README.md"))
    japanese = interface_names(os.path.join(source, "README.ja.md"))
    if english != japanese:
        failures.append(f"README.md and README.ja.md name different members, hooks or codes:\n"
                        f"    only in README.md: {sorted(english - japanese)}\n"
                        f"    only in README.ja.md: {sorted(japanese - english)}")


def check_zip(archive, names):
    with zipfile.ZipFile(archive) as z:
        infos = z.infolist()
    if names != sorted(names):
        failures.append(f"{archive}: files not in name order")
    if len({info.date_time for info in infos}) != 1:
        failures.append(f"{archive}: files of different times")


def check_image_version(dll, version):
    """The PE optional header's MajorImageVersion and MinorImageVersion, at the same offset in
    32-bit and 64-bit images."""
    image = open(dll, "rb").read()
    header = struct.unpack_from("<I", image, 0x3C)[0]
    major, minor = struct.unpack_from("<HH", image, header + 24 + 44)
    wanted = ".".join(version.split(".")[:2])
    if f"{major}.{minor}" != wanted:
        failures.append(f"{dll}: image version {major}.{minor}, not {wanted}")


def check_debug_information(dll):
    result = subprocess.run(["cmake", f"-DDLL={dll}", "-P",
                             os.path.join(HERE, "check_debug_info.cmake")],
                            capture_output=True, text=True)
    if result.returncode != 0:
        failures.append(f"{dll}:\n{result.stdout}{result.stderr}")


def import_members(library):
    """The import objects of an import library as llvm-readobj shows them: DLL, type, name type
    and symbols of each."""
    text = subprocess.run(["llvm-readobj-14", library], check=True, capture_output=True,
                          text=True).stdout
    return sorted(block.strip() for block in re.split(r"\n(?=File: )", text)
                  if "Format: COFF-import-file" in block)


def check_def(msvc_top, mingw_top, arch):
    """The .def of both archives, and the import library made of it."""
    triplet, machine = ARCHITECTURES[arch]
    lib = os.path.join(msvc_top, "lib", arch)
    def_files = [os.path.join(lib, "MokacommC.def"),
                 os.path.join(mingw_top, triplet, "lib", "MokacommC.def")]
    if not all(map(os.path.exists, def_files)):
        return  # the listing says which is missing
    if read(def_files[0]) != read(def_files[1]):
        failures.append(f"the two archives' MokacommC.def for {arch} differ")
    with tempfile.TemporaryDirectory() as scratch:
        made = os.path.join(scratch, "MokacommC.lib")
        subprocess.run(["llvm-dlltool-14", "-k", "-m", machine, "-d", def_files[0], "-l", made],
                       check=True)
        ours, shipped = import_members(made), import_members(os.path.join(lib, "MokacommC.lib"))
        if ours != shipped:
            first = next((a, b) for a, b in zip(ours + [""], shipped + [""]) if a != b)
            failures.append(f"the import library that lib/{arch}/MokacommC.def makes is not "
                            f"MokacommC.lib: it has\n{first[0]}\nwhere MokacommC.lib has\n"
                            f"{first[1]}")


def read(path):
    with open(path, "rb") as f:
        return f.read()


def main():
    if len(sys.argv) != 4:
        sys.exit("usage: check_archives.py SOURCE DIST UNPACKED")
    source, dist, unpacked = sys.argv[1:]
    version = open(os.path.join(source, "VERSION")).read().strip()
    archives = [f"Mokacomm-{version}-{abi}.zip" for abi in ("mingw", "msvc")]
    package = f"Mokacomm.{version}.nupkg"
    check_readmes_in_step(source)

    made = [name for name in sorted(archives + [package])
            if os.path.exists(os.path.join(dist, name))]
    failures.extend(f"{dist} lacks {name}" for name in archives + [package] if name not in made)
    sums = [f"{hashlib.sha256(open(os.path.join(dist, a), 'rb').read()).hexdigest()}  {a}"
            for a in made]
    if open(os.path.join(dist, "SHA256SUMS")).read().splitlines() != sums:
        failures.append("SHA256SUMS does not hold the checksums of the archives and the package")

    for archive in (a for a in archives if a in made):
        path = os.path.join(dist, archive)
        with zipfile.ZipFile(path) as z:
            names = z.namelist()
            z.extractall(unpacked)
        check_zip(path, names)
        check_listing(path, names, source, version)
        top = os.path.join(unpacked, archive[:-len(".zip")])
        if archive.endswith("-msvc.zip"):
            failures.extend(check_msbuild(os.path.join(top, "Mokacomm.props")))
            dlls = ["lib/x86", "lib/x64"]
        else:
            dlls = ["i686-w64-mingw32/bin", "x86_64-w64-mingw32/bin"]
        for folder in dlls:
            for dll in DLLS:
                check_debug_information(os.path.join(top, folder, dll + ".dll"))
                check_image_version(os.path.join(top, folder, dll + ".dll"), version)
        print(f"{archive}: {len(names)} files")
    if all(archive in made for archive in archives):
        for arch in ARCHITECTURES:
            check_def(os.path.join(unpacked, f"Mokacomm-{version}-msvc"),
                      os.path.join(unpacked, f"Mokacomm-{version}-mingw"), arch)

    # The package's files; a NuGet client installs it (nuget.sh).
    if package in made:
        path = os.path.join(dist, package)
        with zipfile.ZipFile(path) as z:
            names = z.namelist()
        check_zip(path, names)
        check_listing(path, names, source, version)
        print(f"{package}: {len(names)} files")

    if failures:
        sys.exit("release archives:\n  " + "\n  ".join(failures))


if __name__ == "__main__":
    main()
