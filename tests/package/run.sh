#!/bin/sh
# Builds the outside host project against one build tree's library, installed into a scratch
# prefix, or against an unpacked release archive through the package at its top, with the build
# tree's toolchain, and runs its two hosts, of the class and of the C interface, under Wine on a
# null-modem pair; each imports only the DLL it calls; a project with the other C++ ABI's
# toolchain must not find the package. Ends with 77 when the hosts are 32-bit programs that this
# machine cannot run (tests/support/wine-run), once all the rest has been checked.
#   run.sh BUILD_DIR SOURCE_DIR TOOLCHAIN_FILE [ARCHIVE_DIR]
set -eu
build=$1
source=$2
toolchain=$3
archive=${4:-}
MOKACOMM_LIB=$source/scripts/lib
. "$MOKACOMM_LIB/steps.sh"
. "$MOKACOMM_LIB/wine-env.sh"
mokacomm_steps "package/run.sh ($(basename "$toolchain" .cmake))"
mokacomm_step "preparing the Wine prefix"
if [ -z "${MOKACOMM_SCRATCH:-}" ]; then
    mokacomm_env "$build/wine"
    mokacomm_prefix_ready
fi
mokacomm_rig_preload "$build/rig"

work=$(mktemp -d "$MOKACOMM_SCRATCH/package.XXXXXX")
rigctl="$build/rig/bin/nullmodemctl"
session="package-$$"
mokacomm_at_exit '"$rigctl" reap "$session" >/dev/null 2>&1; rm -rf "$work"'

# Where the package is.
# Mokacomm_DIR names the package itself: the mingw-w64 cross toolchain searches its own root only.
# The Microsoft-ABI one searches CMAKE_PREFIX_PATH as a Windows host would, which finds the
# package at the top of its archive.
case $toolchain in
    *-msvc.cmake) other=$(echo "$toolchain" | sed 's/-msvc\.cmake$/-w64-mingw32.cmake/') ;;
    *) other=$(echo "$toolchain" | sed 's/-w64-mingw32\.cmake$/-msvc.cmake/') ;;
esac
if [ -z "$archive" ]; then
    mokacomm_step "installing the package"
    cmake --install "$build" --prefix "$work/install" >/dev/null
    set -- "-DMokacomm_DIR=$work/install/lib/cmake/Mokacomm"
else
    case $toolchain in
        *-msvc.cmake) set -- "-DCMAKE_PREFIX_PATH=$archive" ;;
        *) set -- "-DMokacomm_DIR=$archive" ;;
    esac
fi
mokacomm_step "building the outside project"
cmake -S "$source/tests/package/host" -B "$work/host" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    "$@" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work/host" >/dev/null

# The package is one C++ ABI's: a project of the other one, same architecture, does not find it.
mokacomm_step "configuring a project of the other ABI"
if cmake -S "$source/tests/package/host" -B "$work/other" -DCMAKE_TOOLCHAIN_FILE="$other" \
    -DMokacomm_DIR="${archive:-$work/install/lib/cmake/Mokacomm}" >"$work/other.log" 2>&1; then
    echo "a project built with $(basename "$other") found the package" >&2
    exit 1
fi
if ! grep -q "use the .* build" "$work/other.log"; then
    echo "a project built with $(basename "$other") failed for another reason:" >&2
    cat "$work/other.log" >&2
    exit 1
fi
# Both programs link both import libraries; each imports the DLL it calls, and not the other.
mokacomm_step "reading the hosts' import tables"
imports_only() {
    imported=$(llvm-readobj-14 --coff-imports "$work/host/$1" |
        sed -n 's/^ *Name: \(.*\.[Dd][Ll][Ll]\)$/\1/p' | tr '\n' ' ')
    case " $imported" in
        *" $2 "*) ;;
        *) echo "$1 does not import $2: $imported" >&2; exit 1 ;;
    esac
    case " $imported" in
        *" $3 "*) echo "$1 imports $3, whose functions it does not call: $imported" >&2; exit 1 ;;
    esac
}
imports_only package_host.exe Mokacomm.dll MokacommC.dll
imports_only package_c_host.exe MokacommC.dll Mokacomm.dll

mokacomm_step "making the virtual null-modem (rig)"
set -- $("$rigctl" up --session "$session")
mokacomm_step "running package_host.exe"
"$source/tests/support/wine-run" "$work/host/package_host.exe" "COM$1" "COM$2"
mokacomm_step "running package_c_host.exe"
"$source/tests/support/wine-run" "$work/host/package_c_host.exe" "$1" "$2"
