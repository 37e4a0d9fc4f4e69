#!/bin/sh
# The example window host on one end of a virtual null-modem under Wine, shown on your display,
# with this terminal as the other end of the cable (pyserial's miniterm): what you type here
# arrives in the window, what the window sends appears here, and miniterm's Ctrl+T Ctrl+R and
# Ctrl+T Ctrl+D drop and raise the lines that the window's status line shows. Ctrl+] ends it.
# Sets itself up on a fresh machine (scripts/setup.sh), builds the 32-bit library and the host
# (the 64-bit ones on a machine that runs no 32-bit programs), and removes everything it made when
# it ends.
#   MOKACOMM_PRESET=x86_64 scripts/window-demo.sh   runs the 64-bit build instead.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
MOKACOMM_LIB=$root/scripts/lib
. "$MOKACOMM_LIB/steps.sh"
. "$MOKACOMM_LIB/wine-env.sh"
mokacomm_steps window-demo.sh
mokacomm_step "looking for a desktop and a terminal"
if [ -z "${DISPLAY:-}" ] || [ ! -t 0 ]; then
    echo "window-demo.sh shows a window and reads your keys: run it in a terminal on a desktop" >&2
    exit 1
fi

mokacomm_step "setting up (scripts/setup.sh)"
"$root/scripts/setup.sh"
cd "$root"
mokacomm_step "choosing the build"
preset=${MOKACOMM_PRESET:-$(mokacomm_default_preset i686)}
mokacomm_runs_preset "$preset"
echo "== building Mokacomm ($preset) and the window host"
mokacomm_step "configuring $preset"
cmake --preset "$preset" >/dev/null
mokacomm_step "building $preset"
cmake --build --preset "$preset" -j 2 --target window_host nullmodem_native >/dev/null

build="$root/build/$preset"
rigctl="$build/rig/bin/nullmodemctl"
echo "== preparing a private Wine prefix (the first time takes a few seconds)"
mokacomm_run_start window-demo "$build"

mokacomm_step "making the virtual null-modem (rig)"
set -- $("$rigctl" up --session window-demo)
host_com=COM$1
peer_pty=$("$rigctl" path "$2")
echo "== the window host opens $host_com; this terminal is COM$2, the other end of the cable"
mokacomm_step "running window_host.exe with miniterm"
"$MOKACOMM_LIB/wine-exec" "$build/bin/window_host.exe" "$host_com" </dev/null \
    >"$MOKACOMM_SCRATCH/host.log" 2>&1 &
# The host's texts are code page 932 and its line end is CR. The peer is a Linux program: the
# Wine locale is not its own.
LC_ALL=C.UTF-8 /usr/bin/python3 -m serial.tools.miniterm --encoding cp932 --eol CR \
    "$peer_pty" 19200
