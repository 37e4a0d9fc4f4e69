#!/bin/sh
# Packs the four build trees into the release archives, as scripts/release.sh does, checks them
# (check_archives.py), and builds and runs the outside host project against each unpacked archive
# for both architectures (run.sh); a 32-bit host that this machine cannot run is built, not run.
#   archives.sh SOURCE_DIR BUILDS_DIR
set -eu
source=$1
builds=$2
. "$source/scripts/lib/steps.sh"
mokacomm_steps package/archives.sh
work=$(mktemp -d "${MOKACOMM_SCRATCH:-/tmp}/archives.XXXXXX")
mokacomm_at_exit 'rm -rf "$work"'

mokacomm_step "packing the archives (packaging/make_archives.py)"
python3 "$source/packaging/make_archives.py" "$source" "$builds" "$work/dist" >/dev/null
mokacomm_step "checking the archives (check_archives.py)"
python3 "$source/tests/package/check_archives.py" "$source" "$work/dist" "$work/unpacked"

version=$(cat "$source/VERSION")
status=0
failed=
for preset in i686 x86_64 i686-msvc x86_64-msvc; do
    case $preset in
        *-msvc) toolchain=$preset archive=msvc ;;
        *) toolchain=$preset-w64-mingw32 archive=mingw ;;
    esac
    result=0
    timeout 300 sh "$source/tests/package/run.sh" "$builds/$preset" "$source" \
        "$source/cmake/toolchain-$toolchain.cmake" "$work/unpacked/Mokacomm-$version-$archive" ||
        result=$?
    case $result in
        0) echo "$preset: the outside project ran against Mokacomm-$version-$archive.zip" ;;
        77) echo "$preset: the outside project was built against Mokacomm-$version-$archive.zip," \
                 "not run (see above)" ;;
        *) echo "$preset: the outside project failed against Mokacomm-$version-$archive.zip" >&2
           status=1
           failed="$failed $preset" ;;
    esac
done
mokacomm_step "the outside project against the archives of:$failed"
exit $status
