#!/bin/sh
# The main job: the example terminal host on one end of a virtual null-modem under Wine, pyserial
# on the other, data both ways, modem-line events and a clean close. Sets itself up on a fresh
# machine (scripts/setup.sh), builds the 32-bit library and the example (the 64-bit ones on a
# machine that runs no 32-bit programs), and removes everything it made when it ends.
#   MOKACOMM_PRESET=x86_64 scripts/demo.sh   runs the 64-bit build instead.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
MOKACOMM_LIB=$root/scripts/lib
. "$MOKACOMM_LIB/steps.sh"
. "$MOKACOMM_LIB/wine-env.sh"
mokacomm_steps demo.sh

mokacomm_step "setting up (scripts/setup.sh)"
"$root/scripts/setup.sh"
cd "$root"
mokacomm_step "choosing the build"
preset=${MOKACOMM_PRESET:-$(mokacomm_default_preset i686)}
mokacomm_runs_preset "$preset"
mokacomm_step "configuring $preset"
echo "== building Mokacomm ($preset) and the example host"
cmake --preset "$preset" >/dev/null
mokacomm_step "building $preset"
cmake --build --preset "$preset" -j 2 --target terminal_host nullmodem_native >/dev/null

build="$root/build/$preset"
rigctl="$build/rig/bin/nullmodemctl"
echo "== preparing a private Wine prefix (the first time takes a few seconds)"
mokacomm_run_start demo "$build"
scratch=$MOKACOMM_SCRATCH

mokacomm_step "making the virtual null-modem (rig)"
set -- $("$rigctl" up --session demo)
host_com=COM$1
peer_com=COM$2
peer_pty=$("$rigctl" path "$2")
echo "== a virtual null-modem cable joins $host_com and $peer_com"

# The host reads what the peer types into this pipe; the script holds it open too, so the host's
# input ends only when the script says so, whatever becomes of the peer.
mokacomm_step "running terminal_host.exe on $host_com with the pyserial peer on $peer_com"
input="$scratch/host-input"
log="$scratch/host.log"
mkfifo "$input"
exec 3<>"$input"
(timeout 120 "$MOKACOMM_LIB/wine-exec" "$build/bin/terminal_host.exe" "$host_com" <"$input" 2>&1 |
    tee "$log") 3>&- &
host=$!
status=0
# Debian's own Python, which has pyserial (python3-serial).
timeout 120 /usr/bin/python3 "$root/examples/terminal/demo_peer.py" "$peer_pty" "$input" "$log" \
    "$peer_com" 3>&- || status=$?
exec 3>&-
wait "$host" || status=$?
grep -q "closed $host_com: ERR_OK" "$log" || status=1
if [ $status -eq 0 ]; then
    echo "== done: data went both ways, the line changes arrived, the port closed cleanly"
fi
exit $status
