#!/bin/sh
# Packs the four build trees into the release archives, as scripts/release.sh does, checks them
# (check_archives.py, check_gcc_runtime.py), installs the NuGet package (nuget.sh), configures
# programs of other compilers against the archives (consumers.sh), and builds and runs the outside
# host project against each unpacked archive for both architectures (run.sh).
#   archives.sh SOURCE_DIR BUILDS_DIR
set -eu
source=$1
builds=$2
work=$(mktemp -d "${MOKACOMM_SCRATCH:-/tmp}/archives.XXXXXX")
trap 'rm -rf "$work"' EXIT

python3 "$source/packaging/make_archives.py" "$source" "$builds" "$work/dist" >/dev/null
python3 "$source/tests/package/check_archives.py" "$source" "$work/dist" "$work/unpacked"

version=$(cat "$source/VERSION")
status=0
python3 "$source/tests/package/check_gcc_runtime.py" "$builds" \
    "$work/unpacked/Mokacomm-$version-mingw" || status=1
sh "$source/tests/package/nuget.sh" "$source" "$work/dist" || status=1
sh "$source/tests/package/consumers.sh" "$source" "$work/unpacked/Mokacomm-$version-msvc" \
    x86_64-pc-windows-msvc=found i686-pc-windows-msvc=found \
    "aarch64-pc-windows-msvc=Mokacomm has no ARM64 build" || status=1
sh "$source/tests/package/consumers.sh" "$source" "$work/unpacked/Mokacomm-$version-mingw" \
    "x86_64-pc-windows-msvc=use the msvc build" \
    "aarch64-w64-mingw32=Mokacomm has no aarch64 build" || status=1
for preset in i686 x86_64 i686-msvc x86_64-msvc; do
    case $preset in
        *-msvc) toolchain=$preset archive=msvc ;;
        *) toolchain=$preset-w64-mingw32 archive=mingw ;;
    esac
    if timeout 300 sh "$source/tests/package/run.sh" "$builds/$preset" "$source" \
        "$source/cmake/toolchain-$toolchain.cmake" "$work/unpacked/Mokacomm-$version-$archive"; then
        echo "$preset: the outside project ran against Mokacomm-$version-$archive.zip"
    else
        echo "$preset: the outside project failed against Mokacomm-$version-$archive.zip" >&2
        status=1
    fi
done
exit $status
