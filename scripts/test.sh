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
scratch=$(mktemp -d /tmp/mokacomm-test.XXXXXX)
set -- $presets
rigctl="$root/build/$1/rig/bin/nullmodemctl"
# A program that CTest kills at its time-out leaves its null-modem pairs behind.
cleanup() {
    "$rigctl" reap --all >/dev/null 2>&1 || true
    mokacomm_env_stop
    rm -rf "$scratch"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
mokacomm_env "$scratch"
# The display comes first: the wine server's desktop process takes the DISPLAY it starts with.
mokacomm_display_start
mokacomm_prefix_ready
mokacomm_rig_preload "$root/build/$1/rig"
mokacomm_server_start

status=0
for p in $presets; do
    echo "== tests for $p"
    ctest --preset "$p" -j 2 || status=1
done
exit $status
