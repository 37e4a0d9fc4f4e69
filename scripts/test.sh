#!/bin/sh
# Builds Mokacomm for 32-bit and 64-bit Windows and runs the whole test suite under Wine, on a
# private Wine prefix, wine server and X display that are removed afterwards.
#   MOKACOMM_PRESETS="i686"  limits the run to some targets (default: both).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
presets=${MOKACOMM_PRESETS:-"i686 x86_64"}

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
exit $status
