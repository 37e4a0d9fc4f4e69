#!/usr/bin/env python3
"""Makes the release archives from the four build trees of one checkout.

    make_archives.py SOURCE BUILDS OUT

SOURCE is the project folder, BUILDS the folder holding its build trees i686, x86_64, i686-msvc
and x86_64-msvc, built already. OUT receives Mokacomm-<version>-msvc.zip,
Mokacomm-<version>-mingw.zip, the NuGet package Mokacomm.<version>.nupkg (the msvc archive's
files for Visual C++ projects) and SHA256SUMS. The files of an archive, their order and their
times depend on the sources only: the times are the commit's (SOURCE_DATE_EPOCH, or else git's
date of the checkout's commit).
"""
import hashlib
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import zipfile

# The build trees of each archive, by the folder of the archive that each one fills.
MSVC_BUILDS = {"x86": "i686-msvc", "x64": "x86_64-msvc"}
MINGW_BUILDS = {"i686-w64-mingw32": "i686", "x86_64-w64-mingw32": "x86_64"}
# The DLLs that the project builds: the class's and the C interface's. The msvc archive takes each
# one's DLL, PDB and import library into lib/<arch>/, and the C interface's .def; the mingw archive
# splits each one's debug information off. Any other DLL of a mingw-w64 package's bin/ is GCC's
# runtime, shipped as its own package has it.
DLLS = ("Mokacomm", "MokacommC")
MSVC_FILES = [f"{folder}/{dll}.{ext}" for dll in DLLS
              for folder, ext in (("bin", "dll"), ("bin", "pdb"), ("lib", "lib"))] + [
                  "lib/MokacommC.def"]
# The project's documents at the top of every archive and of the NuGet package.
DOCUMENTS = ("LICENSE", "README.md", "README.ja.md")
# The NuGet package: files of the msvc archive (a name ending in / stands for its folder) where a
# native package has them; NuGet imports build/native/<id>.targets into the project.
NUGET_LAYOUT = {"Mokacomm.props": "build/native/Mokacomm.targets",
                "include/": "build/native/include/", "lib/": "build/native/lib/",
                **{document: document for document in DOCUMENTS}}
# NuGet reads a package as an Open Packaging Conventions file: the types of its parts, and the
# relationship that leads to the manifest.
OPC_TYPES = "[Content_Types].xml"
OPC_RELATIONSHIPS = "_rels/.rels"


def fail(message):
    sys.exit("make_archives: " + message)


def run(*command, cwd=None, env=None):
    subprocess.run(command, cwd=cwd, env=env, check=True, stdout=subprocess.DEVNULL)


def install(build, prefix):
    run("cmake", "--install", build, "--prefix", prefix)


def archive_top(builds, names, version):
    """The top files (archive/) of an ABI's build trees, which must agree, and be of VERSION."""
    trees = [os.path.join(builds, name, "archive") for name in names]
    listing = sorted(os.listdir(trees[0]))
    for tree in trees[1:]:
        if sorted(os.listdir(tree)) != listing or any(
                read(os.path.join(tree, f)) != read(os.path.join(trees[0], f)) for f in listing):
            fail(f"the top files of {trees[0]} and {tree} differ: configure both again")
    if f'set(PACKAGE_VERSION "{version}")'.encode() not in read(
            os.path.join(trees[0], "MokacommConfigVersion.cmake")):
        fail(f"{trees[0]} is not configured for version {version} of VERSION")
    return [os.path.join(trees[0], f) for f in listing]


def read(path):
    with open(path, "rb") as f:
        return f.read()


def stage_msvc(builds, top, version):
    for path in archive_top(builds, MSVC_BUILDS.values(), version):
        shutil.copy(path, top)
    for arch, name in MSVC_BUILDS.items():
        # Installed beside the archive's folder, and rearranged into it.
        prefix = os.path.join(os.path.dirname(top), "install-" + name)
        install(os.path.join(builds, name), prefix)
        lib = os.path.join(top, "lib", arch)
        os.makedirs(lib)
        for part in MSVC_FILES:
            shutil.copy(os.path.join(prefix, part), lib)
        shutil.copytree(os.path.join(prefix, "include"), os.path.join(top, "include"),
                        dirs_exist_ok=True)


def stage_mingw(builds, top, version):
    for path in archive_top(builds, MINGW_BUILDS.values(), version):
        shutil.copy(path, top)
    for triplet, name in MINGW_BUILDS.items():
        prefix = os.path.join(top, triplet)
        install(os.path.join(builds, name), prefix)
        # Each DLL's debug information goes into a file beside it, which the stripped DLL names
        # by its file name (and checksum) in its debug link. objcopy stamps what it writes with
        # SOURCE_DATE_EPOCH, else the time: the DLL's own time stamp is kept.
        objcopy = triplet + "-objcopy"
        bin_dir = os.path.join(prefix, "bin")
        for dll in (name + ".dll" for name in DLLS):
            env = dict(os.environ, SOURCE_DATE_EPOCH=str(pe_time_stamp(os.path.join(bin_dir, dll))))
            run(objcopy, "--only-keep-debug", dll, dll + ".debug", cwd=bin_dir, env=env)
            run(objcopy, "--strip-all", "--add-gnu-debuglink=" + dll + ".debug", dll,
                cwd=bin_dir, env=env)


def pe_time_stamp(path):
    """The TimeDateStamp of a PE image's file header."""
    image = read(path)
    header = struct.unpack_from("<I", image, 0x3C)[0]
    if image[header:header + 4] != b"PE\0\0":
        fail(f"{path} is not a PE image")
    return struct.unpack_from("<I", image, header + 8)[0]


def files_of(folder):
    """{path relative to folder, with /: full path} of the files under folder."""
    return {os.path.relpath(os.path.join(root, f), folder).replace(os.sep, "/"):
            os.path.join(root, f) for root, _, files in os.walk(folder) for f in files}


def write_zip(entries, path, epoch):
    """Zips {name: bytes} with fixed times and permissions, in name order."""
    stamp = time.gmtime(epoch)[:6]
    with zipfile.ZipFile(path, "w") as archive:
        for name in sorted(entries):
            info = zipfile.ZipInfo(name, date_time=stamp)
            info.create_system = 3
            info.external_attr = 0o100644 << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(info, entries[name], compresslevel=9)


def archive_entries(top):
    """The files of the staged folder top, under its own name."""
    name = os.path.basename(top)
    return {f"{name}/{relative}": read(path) for relative, path in files_of(top).items()}


def nuget_entries(msvc_top, source, version):
    """The files of the NuGet package, from the staged msvc archive."""
    entries = {}
    for relative, path in files_of(msvc_top).items():
        for origin, destination in NUGET_LAYOUT.items():
            if relative == origin or origin.endswith("/") and relative.startswith(origin):
                entries[destination + relative[len(origin):]] = read(path)
    license_text = read(os.path.join(source, "LICENSE")).decode()
    copyright_line = next(line for line in license_text.splitlines()
                          if line.startswith("Copyright"))
    # The manifest takes the version and LICENSE's copyright line.
    manifest = read(os.path.join(source, "packaging", "Mokacomm.nuspec")).decode()
    entries["Mokacomm.nuspec"] = (manifest.replace("@VERSION@", version)
                                  .replace("@COPYRIGHT@", copyright_line).encode())
    entries[OPC_RELATIONSHIPS] = (
        '<?xml version="1.0" encoding="utf-8"?>\n'
        '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">\n'
        '  <Relationship Type="http://schemas.microsoft.com/packaging/2010/07/manifest"'
        ' Target="/Mokacomm.nuspec" Id="manifest" />\n'
        '</Relationships>\n').encode()
    # A type for each extension (that of _rels/.rels is rels), and for each part without one.
    extensions = {name: name.rpartition("/")[2].rpartition(".")[2].lower()
                  if "." in name.rpartition("/")[2] else "" for name in entries}
    types = [f'  <Default Extension="{ext}" ContentType="'
             + ("application/vnd.openxmlformats-package.relationships+xml" if ext == "rels"
                else "application/octet") + '" />'
             for ext in sorted(set(extensions.values()) - {""})]
    types += [f'  <Override PartName="/{name}" ContentType="application/octet" />'
              for name in sorted(entries) if not extensions[name]]
    entries[OPC_TYPES] = (
        '<?xml version="1.0" encoding="utf-8"?>\n'
        '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">\n'
        + "\n".join(types) + "\n</Types>\n").encode()
    return entries


def commit_time(source):
    if os.environ.get("SOURCE_DATE_EPOCH"):
        return int(os.environ["SOURCE_DATE_EPOCH"])
    try:
        out = subprocess.run(["git", "-C", source, "log", "-1", "--format=%ct"], check=True,
                             capture_output=True, text=True).stdout
    except (OSError, subprocess.CalledProcessError):
        fail("no git checkout: set SOURCE_DATE_EPOCH to the sources' time")
    return int(out)


def main():
    if len(sys.argv) != 4:
        fail("usage: make_archives.py SOURCE BUILDS OUT")
    source, builds, out = (os.path.abspath(a) for a in sys.argv[1:])
    version = read(os.path.join(source, "VERSION")).decode().strip()
    epoch = commit_time(source)
    os.makedirs(out, exist_ok=True)
    made = []
    with tempfile.TemporaryDirectory(prefix="mokacomm-archives.") as scratch:
        for abi, stage in (("msvc", stage_msvc), ("mingw", stage_mingw)):
            top = os.path.join(scratch, abi, f"Mokacomm-{version}-{abi}")
            os.makedirs(top)
            stage(builds, top, version)
            for document in DOCUMENTS:
                shutil.copy(os.path.join(source, document), top)
            made.append(f"Mokacomm-{version}-{abi}.zip")
            write_zip(archive_entries(top), os.path.join(out, made[-1]), epoch)
            if abi == "msvc":
                made.append(f"Mokacomm.{version}.nupkg")
                write_zip(nuget_entries(top, source, version), os.path.join(out, made[-1]), epoch)
    with open(os.path.join(out, "SHA256SUMS"), "w") as sums:
        for name in sorted(made):
            sums.write(f"{hashlib.sha256(read(os.path.join(out, name))).hexdigest()}  {name}\n")
    print("\n".join(os.path.join(out, name) for name in sorted(made) + ["SHA256SUMS"]))


if __name__ == "__main__":
    main()
