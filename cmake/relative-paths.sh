#!/bin/sh
# Runs a compile or link command of the Microsoft-ABI toolchain with every path under the project
# folder written relative to the working folder (CMAKE_<LANG>_COMPILER_LAUNCHER and
# _LINKER_LAUNCHER). clang-cl 14 records each compile's command line in its CodeView, and lld-link
# its own in the PDB, where no path map reaches: written relative, they are the same in every
# checkout of the same sources, and so is the PDB.
#   relative-paths.sh PROJECT_FOLDER COMMAND [ARG]...
set -eu
root=$1
shift
relative=$(realpath --relative-to=. "$root")
# Each argument is taken from the front and put back at the end, rewritten.
n=$#
while [ "$n" -gt 0 ]; do
    arg=$1
    shift
    case $arg in
        *"$root"*) arg="${arg%%"$root"*}$relative${arg#*"$root"}" ;;
    esac
    set -- "$@" "$arg"
    n=$((n - 1))
done
exec "$@"
