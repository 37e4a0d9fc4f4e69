#!/usr/bin/env python3
"""Checks Mokacomm's MSBuild file where it was unpacked or installed: the release archive's
Mokacomm.props, the NuGet package's build/native/Mokacomm.targets.

    check_msbuild.py FILE

Its properties and conditions are evaluated as MSBuild would for a project of each platform:
- it is well-formed MSBuild;
- for Win32 and x64 it names the include folder and links each import library of that
  platform's folder, lib/x86 or lib/x64, Mokacomm.lib and MokacommC.lib among them; each DLL and
  PDB there, those of both DLLs among them, is a CopyFileToFolders item bound for $(OutDir),
  which Visual Studio's up-to-date check and Clean know; every file or folder it names exists;
- for another platform (ARM64, ARM64EC) it stops the build with an error naming the platform;
- no target of its own copies files, which neither the up-to-date check nor Clean would see.
"""
import os
import re
import sys
import xml.etree.ElementTree as ElementTree

MSBUILD = "{http://schemas.microsoft.com/developer/msbuild/2003}"
PLATFORMS = {"Win32": "x86", "x64": "x64", "ARM64": None, "ARM64EC": None}
# What the project's output folder stands for.
OUT_DIR = "<OutDir>\\"
# The DLLs of each platform's folder: the class's and the C interface's.
DLLS = ("Mokacomm", "MokacommC")


def evaluate(text, properties):
    return re.sub(r"\$\((\w+)\)", lambda m: properties.get(m.group(1), ""), text)


class Sheet:
    def __init__(self, path):
        self.path = path
        self.folder = os.path.dirname(os.path.abspath(path))
        self.failures = []
        self.project = ElementTree.parse(path).getroot()

    def fail(self, text):
        self.failures.append(f"{os.path.basename(self.path)}: {text}")

    def holds(self, element, properties):
        condition = element.get("Condition")
        if condition is None:
            return True
        match = re.fullmatch(r"\s*'([^']*)'\s*(==|!=)\s*'([^']*)'\s*",
                             evaluate(condition, properties))
        if not match:
            self.fail(f"a condition this check cannot read: {condition}")
            return False
        return (match.group(1) == match.group(3)) == (match.group(2) == "==")

    def properties(self, platform):
        properties = {"MSBuildThisFileDirectory": self.folder + os.sep, "Platform": platform,
                      "OutDir": OUT_DIR}
        for group in self.project.iter(MSBUILD + "PropertyGroup"):
            if self.holds(group, properties):
                for prop in group:
                    if self.holds(prop, properties):
                        properties[prop.tag[len(MSBUILD):]] = evaluate(prop.text or "", properties)
        return properties

    def local_path(self, text):
        """The path that an evaluated text names in the sheet's folder, else None."""
        path = os.path.normpath(text.replace("\\", os.sep))
        return path if path.startswith(self.folder + os.sep) else None

    def named(self, element, properties, found):
        """Collects the paths that element and its children name where their conditions hold;
        true when an Error task is among them, with its text."""
        if not self.holds(element, properties):
            return None
        error = evaluate(element.get("Text", ""), properties) if element.tag == MSBUILD + "Error" \
            else None
        texts = [v for k, v in element.attrib.items() if k != "Condition"]
        for text in [element.text or ""] + texts:
            found |= {p for p in map(self.local_path, evaluate(text, properties).split(";")) if p}
        for child in element:
            error = self.named(child, properties, found) or error
        return error

    def copied(self, properties):
        """{source path: destination folders} of the CopyFileToFolders items that hold."""
        items = {}
        for group in self.project.iter(MSBUILD + "ItemGroup"):
            if not self.holds(group, properties):
                continue
            for item in group.iter(MSBUILD + "CopyFileToFolders"):
                if not self.holds(item, properties):
                    continue
                destination = item.find(MSBUILD + "DestinationFolders")
                folders = evaluate(destination.text if destination is not None else "$(OutDir)",
                                   properties)
                for source in evaluate(item.get("Include", ""), properties).split(";"):
                    items[self.local_path(source) or source] = folders
        return items

    def check(self):
        if self.project.tag != MSBUILD + "Project":
            self.fail(f"not an MSBuild project: {self.project.tag}")
            return self.failures
        for target in self.project.iter(MSBUILD + "Target"):
            if target.find(f".//{MSBUILD}Copy") is not None:
                self.fail(f"its target {target.get('Name')} copies files, unseen by Visual "
                          "Studio's up-to-date check and Clean")
        for platform, arch in PLATFORMS.items():
            properties = self.properties(platform)
            found = set()
            error = self.named(self.project, properties, found)
            if arch is None:
                if error is None or platform not in error:
                    self.fail(f"a build for {platform} does not stop with an error naming it")
                continue
            if error is not None:
                self.fail(f"a build for {platform} stops: {error}")
            missing = sorted(p for p in found if not os.path.exists(p))
            if missing:
                self.fail(f"names, for {platform}, what is not there: {missing}")
            lib = os.path.join(self.folder, "lib", arch)
            # The folder's files, and those of both DLLs even where the folder lacks them.
            files = set(os.listdir(lib)) if os.path.isdir(lib) else set()
            files |= {dll + ext for dll in DLLS for ext in (".lib", ".dll", ".pdb")}
            wanted = {os.path.join(self.folder, "include")} | {
                os.path.join(lib, f) for f in files if f.endswith(".lib")}
            if not wanted <= found:
                self.fail(f"for {platform}, names {sorted(found)}, not all of {sorted(wanted)}")
            copied = self.copied(properties)
            for name in sorted(f for f in files if f.endswith((".dll", ".pdb"))):
                if copied.get(os.path.join(lib, name)) != OUT_DIR:
                    self.fail(f"for {platform}, {name} is not copied into $(OutDir): {copied}")
        return self.failures


def check(path):
    """The failures of the MSBuild file at path."""
    try:
        return Sheet(path).check()
    except ElementTree.ParseError as error:
        return [f"{path} is not well-formed: {error}"]


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: check_msbuild.py FILE")
    failures = check(sys.argv[1])
    if failures:
        sys.exit("\n".join(failures))
    print(f"{sys.argv[1]}: Win32 and x64 take the package's files, "
          f"{', '.join(p for p, a in PLATFORMS.items() if a is None)} stop")


if __name__ == "__main__":
    main()
