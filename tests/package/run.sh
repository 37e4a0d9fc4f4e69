#!/bin/sh
# Installs one build tree's library into a scratch prefix, builds the outside host project against
# the installed package with the same toolchain, and runs it under Wine on a null-modem pair.
#   run.sh BUILD_DIR SOURCE_DIR TOOLCHAIN_FILE
set -eu
build=$1
source=$2
toolchain=$3
. "$source/scripts/lib/wine-env.sh"
if [ -z "${MOKACOMM_SCRATCH:-}" ]; then
    mokacomm_env "$build/wine"
    mokacomm_prefix_ready
fi
mokacomm_rig_preload "$build/rig"

work=$(mktemp -d "$MOKACOMM_SCRATCH/package.XXXXXX")
rigctl="$build/rig/bin/nullmodemctl"
session="package-$$"
trap '"$rigctl" reap "$session" >/dev/null 2>&1; rm -rf "$work"' EXIT

cmake --install "$build" --prefix "$work/install" >/dev/null
# Mokacomm_DIR names the package itself: the cross toolchain searches its own root only.
cmake -S "$source/tests/package/host" -B "$work/host" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DMokacomm_DIR="$work/install/lib/cmake/Mokacomm" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work/host" >/dev/null
cp "$work/install/bin/Mokacomm.dll" "$work/host/"

set -- $("$rigctl" up --session "$session")
wine "$work/host/package_host.exe" "COM$1" "COM$2"
