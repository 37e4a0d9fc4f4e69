#!/bin/sh
# Installs one build tree's library into a scratch prefix, builds the outside host project against
# the installed package with the same toolchain, and runs it under Wine on a null-modem pair; a
# project with the other C++ ABI's toolchain must not find the package.
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

# The package is one C++ ABI's: a project of the other one, same architecture, does not find it.
case $toolchain in
    *-msvc.cmake) other=$(echo "$toolchain" | sed 's/-msvc\.cmake$/-w64-mingw32.cmake/') ;;
    *) other=$(echo "$toolchain" | sed 's/-w64-mingw32\.cmake$/-msvc.cmake/') ;;
esac
if cmake -S "$source/tests/package/host" -B "$work/other" -DCMAKE_TOOLCHAIN_FILE="$other" \
    -DMokacomm_DIR="$work/install/lib/cmake/Mokacomm" >"$work/other.log" 2>&1; then
    echo "a project built with $(basename "$other") found the package" >&2
    exit 1
fi
if ! grep -q "use the .* build" "$work/other.log"; then
    echo "a project built with $(basename "$other") failed for another reason:" >&2
    cat "$work/other.log" >&2
    exit 1
fi
cp "$work/install/bin/"*.dll "$work/host/"

set -- $("$rigctl" up --session "$session")
"$(mokacomm_loader "$work/host/package_host.exe")" "$work/host/package_host.exe" "COM$1" "COM$2"
