#!/usr/bin/env python3
"""Checks the release archives and unpacks them.

    check_archives.py SOURCE DIST UNPACKED

- SHA256SUMS holds the checksums of the two archives;
- each archive holds exactly the files that README.md and README.ja.md list for it, in name order,
  all with one time, and the two READMEs name the same members, hooks and codes;
- its property sheet is well-formed MSBuild, and for Win32 and x64 names the include folder and
  that platform's Mokacomm.lib and Mokacomm.dll, all of them files of the archive, and for any
  other platform stops the build;
- each DLL's debug information leads to CCommLib::Open (check_debug_info.cmake).
The archives are unpacked into UNPACKED, for the outside project to use.
"""
import hashlib
import os
import re
import subprocess
import sys
import xml.etree.ElementTree as ElementTree
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
MSBUILD = "{http://schemas.microsoft.com/developer/msbuild/2003}"
# What $(MSBuildThisFileDirectory) stands for: the archive's top folder.
ARCHIVE = "<archive>\\"
failures = []


def documented_files(readme, version):
    """{top folder: [files]} of the listings in the README's code blocks: one name a line, a
    folder (ending in /) holding the lines indented under it, a comment after two spaces."""
    listings = {}
    for block in re.findall(r"^```[a-z]*\n(.*?)^```", open(readme, encoding="utf-8").read(),
                            re.M | re.S):
        lines = block.replace("<version>", version).splitlines()
        if not re.fullmatch(rf"Mokacomm-{re.escape(version)}-(msvc|mingw)/", lines[0].strip()):
            continue
        folders, files = [], []
        for line in lines:
            depth = (len(line) - len(line.lstrip(" "))) // 2
            name = line.strip().split("  ")[0]
            del folders[depth:]
            if name.endswith("/"):
                folders.append(name)
            else:
                files.append("".join(folders) + name)
        listings[lines[0].strip().rstrip("/")] = sorted(files)
    return listings


def check_listing(archive, names, source, version):
    top = os.path.basename(archive)[:-len(".zip")]
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


def evaluate(text, properties):
    return re.sub(r"\$\((\w+)\)", lambda m: properties.get(m.group(1), ""), text)


def condition_holds(condition, properties):
    if condition is None:
        return True
    match = re.fullmatch(r"\s*'([^']*)'\s*(==|!=)\s*'([^']*)'\s*", evaluate(condition, properties))
    if not match:
        failures.append(f"Mokacomm.props: a condition this check cannot read: {condition}")
        return False
    return (match.group(1) == match.group(3)) == (match.group(2) == "==")


def named_paths(element, properties, found):
    """Collects the paths under the archive that element and its children name where their
    conditions hold; true when an Error task is among them."""
    if not condition_holds(element.get("Condition"), properties):
        return False
    stops = element.tag == MSBUILD + "Error"
    for text in [element.text or ""] + [v for k, v in element.attrib.items() if k != "Condition"]:
        found |= {p for p in evaluate(text, properties).split(";") if p.startswith(ARCHIVE)}
    for child in element:
        stops |= named_paths(child, properties, found)
    return stops


def check_property_sheet(top, names):
    """Evaluates the sheet's properties and conditions for each platform, as MSBuild would."""
    try:
        project = ElementTree.parse(os.path.join(top, "Mokacomm.props")).getroot()
    except ElementTree.ParseError as error:
        failures.append(f"Mokacomm.props is not well-formed: {error}")
        return
    if project.tag != MSBUILD + "Project":
        failures.append(f"Mokacomm.props is not an MSBuild project: {project.tag}")
        return
    files = {ARCHIVE + name.split("/", 1)[1].replace("/", "\\") for name in names}
    for platform, arch in (("Win32", "x86"), ("x64", "x64"), ("ARM64", None)):
        properties = {"MSBuildThisFileDirectory": ARCHIVE, "Platform": platform}
        for group in project.iter(MSBUILD + "PropertyGroup"):
            if condition_holds(group.get("Condition"), properties):
                for prop in group:
                    if condition_holds(prop.get("Condition"), properties):
                        properties[prop.tag[len(MSBUILD):]] = evaluate(prop.text or "", properties)
        named = set()
        stops = named_paths(project, properties, named)
        if arch is None:
            if not stops:
                failures.append(f"Mokacomm.props does not stop a build for {platform}")
            continue
        missing = {p for p in named if p.rstrip("\\") not in files
                   and not any(f.startswith(p.rstrip("\\") + "\\") for f in files)}
        if missing:
            failures.append(f"Mokacomm.props names, for {platform}, what the archive lacks: "
                            f"{sorted(missing)}")
        wanted = {ARCHIVE + "include", ARCHIVE + f"lib\\{arch}\\Mokacomm.lib",
                  ARCHIVE + f"lib\\{arch}\\Mokacomm.dll"}
        if not wanted <= named or stops:
            failures.append(f"Mokacomm.props, for {platform}, names {sorted(named)}"
                            f"{' and stops the build' if stops else ''}")


def check_debug_information(dll):
    result = subprocess.run(["cmake", f"-DDLL={dll}", "-P",
                             os.path.join(HERE, "check_debug_info.cmake")],
                            capture_output=True, text=True)
    if result.returncode != 0:
        failures.append(f"{dll}:\n{result.stdout}{result.stderr}")


def main():
    if len(sys.argv) != 4:
        sys.exit("usage: check_archives.py SOURCE DIST UNPACKED")
    source, dist, unpacked = sys.argv[1:]
    version = open(os.path.join(source, "VERSION")).read().strip()
    archives = [f"Mokacomm-{version}-{abi}.zip" for abi in ("mingw", "msvc")]
    check_readmes_in_step(source)

    sums = [f"{hashlib.sha256(open(os.path.join(dist, a), 'rb').read()).hexdigest()}  {a}"
            for a in archives]
    if open(os.path.join(dist, "SHA256SUMS")).read().splitlines() != sums:
        failures.append("SHA256SUMS does not hold the archives' checksums")

    for archive in archives:
        path = os.path.join(dist, archive)
        with zipfile.ZipFile(path) as z:
            names = z.namelist()
            z.extractall(unpacked)
        check_zip(path, names)
        check_listing(path, names, source, version)
        top = os.path.join(unpacked, archive[:-len(".zip")])
        if archive.endswith("-msvc.zip"):
            check_property_sheet(top, names)
            dlls = ["lib/x86", "lib/x64"]
        else:
            dlls = ["i686-w64-mingw32/bin", "x86_64-w64-mingw32/bin"]
        for folder in dlls:
            check_debug_information(os.path.join(top, folder, "Mokacomm.dll"))
        print(f"{archive}: {len(names)} files")

    if failures:
        sys.exit("release archives:\n  " + "\n  ".join(failures))


if __name__ == "__main__":
    main()
