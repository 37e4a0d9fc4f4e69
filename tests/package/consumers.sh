#!/bin/sh
# Configures the outside host project against one Mokacomm package with clang's GNU-style driver
# for Windows targets other than the project's toolchains (clang-gnu.cmake), and checks what the
# package tells each: that it is found, or that it is not, and why.
#   consumers.sh SOURCE_DIR PACKAGE TARGET=EXPECTED...
# PACKAGE is a build tree, whose package is installed into a scratch prefix first, or an unpacked
# release archive; EXPECTED is "found", or a text that the refusal must hold.
set -eu
source=$1
package=$2
shift 2
work=$(mktemp -d "${MOKACOMM_SCRATCH:-/tmp}/consumers.XXXXXX")
trap 'rm -rf "$work"' EXIT

if [ -f "$package/CMakeCache.txt" ]; then
    cmake --install "$package" --prefix "$work/install" >/dev/null
    package_dir="$work/install/lib/cmake/Mokacomm"
else
    package_dir=$package
fi

status=0
for case in "$@"; do
    target=${case%%=*}
    expected=${case#*=}
    log="$work/$target.log"
    if cmake -S "$source/tests/package/host" -B "$work/$target" \
        -DCMAKE_TOOLCHAIN_FILE="$source/tests/package/clang-gnu.cmake" \
        -DMOKACOMM_TARGET="$target" -DMokacomm_DIR="$package_dir" >"$log" 2>&1; then
        outcome=found
    else
        outcome="not found"
    fi
    if [ "$expected" = found ] && [ "$outcome" = found ]; then
        echo "$target: found"
    # CMake wraps the package's message over lines.
    elif [ "$expected" != found ] && [ "$outcome" != found ] &&
        tr -s ' \n' '  ' <"$log" | grep -qF "$expected"; then
        echo "$target: refused with \"$expected\""
    else
        echo "$target: $outcome, expected $expected:" >&2
        cat "$log" >&2
        status=1
    fi
done
exit $status
