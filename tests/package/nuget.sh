#!/bin/sh
# Installs the release's NuGet package with a real NuGet client (Debian's nuget, on mono), as a
# Visual C++ project's packages.config restore does, and checks the installed
# build/native/Mokacomm.targets for Win32 and x64 (check_msbuild.py).
#   nuget.sh SOURCE_DIR DIST_DIR
set -eu
source=$1
dist=$2
version=$(cat "$source/VERSION")
work=$(mktemp -d "${MOKACOMM_SCRATCH:-/tmp}/nuget.XXXXXX")
trap 'rm -rf "$work"' EXIT

# The client keeps its settings and caches under HOME: a scratch one leaves the machine's alone.
mkdir "$work/home"
if ! HOME="$work/home" timeout 300 nuget install Mokacomm -Version "$version" -Source "$dist" \
    -OutputDirectory "$work/packages" -NonInteractive >"$work/log" 2>&1; then
    echo "nuget did not install Mokacomm $version from $dist:" >&2
    cat "$work/log" >&2
    exit 1
fi
python3 "$source/tests/package/check_msbuild.py" \
    "$work/packages/Mokacomm.$version/build/native/Mokacomm.targets"
echo "nuget installed Mokacomm $version"
