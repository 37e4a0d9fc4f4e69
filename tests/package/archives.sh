#!/bin/sh
# Packs the four build trees into the release archives, as scripts/release.sh does, checks them
# (check_archives.py), and builds and runs the outside host project against each unpacked archive
# for both architectures (run.sh).
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
