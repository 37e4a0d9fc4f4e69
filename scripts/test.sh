#!/bin/sh
# Builds Mokacomm for 32-bit and 64-bit Windows, with mingw-w64 and with the Microsoft C++ ABI,
# and runs the whole test suite under Wine, on a private Wine prefix, wine server and X display
# that are removed afterwards; with all four builds, it checks the release archives made of them.
#   MOKACOMM_PRESETS="i686"  limits the run to some builds (default: all four). The first one
#                            named gives the run its rig; the Microsoft-ABI builds compare their
#                            resources with the mingw-w64 build of the same architecture.
#   MOKACOMM_FUZZ_SECONDS=10 shortens the fuzzing step at the end (default 60 s per fuzzer).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
presets=${MOKACOMM_PRESETS:-"i686 x86_64 i686-msvc x86_64-msvc"}

"$root/scripts/setup.sh"
cd "$root"
for p in $presets; do
    cmake --preset "$p" >/dev/null
    cmake --build --preset "$p" -j 2
done

. "$root/scripts/lib/wine-env.sh"
set -- $presets
mokacomm_run_start test "$root/build/$1" display

status=0
for p in $presets; do
    echo "== tests for $p"
    ctest --preset "$p" -j 2 || status=1
done

# The release archives, packed from these build trees as scripts/release.sh packs its own.
echo "== release archives"
built=0
for p in i686 x86_64 i686-msvc x86_64-msvc; do
    case " $presets " in *" $p "*) built=$((built + 1)) ;; esac
done
if [ $built -eq 4 ]; then
    sh "$root/tests/package/archives.sh" "$root" "$root/build" || status=1
else
    echo "skipped: they take all four builds"
fi

# Native, not under Wine: the platform-free parts built with clang's sanitizers and fuzzed.
echo "== fuzzing"
# Wine's locale means nothing to Linux programs, whose shells only warn about it.
env -u LC_ALL "$root/tests/fuzz/run.sh" || status=1
exit $status
