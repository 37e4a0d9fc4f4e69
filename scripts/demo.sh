#!/bin/sh
# The main job: the example terminal host on one end of a virtual null-modem under Wine, pyserial
# on the other, data both ways, modem-line events and a clean close. Sets itself up on a fresh
# machine (scripts/setup.sh), builds the 32-bit library and the example, and removes everything
# it made when it ends.
#   MOKACOMM_PRESET=x86_64 scripts/demo.sh   runs the 64-bit build instead.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
preset=${MOKACOMM_PRESET:-i686}

"$root/scripts/setup.sh"
cd "$root"
echo "== building Mokacomm ($preset) and the example host"
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j 2 --target terminal_host nullmodem_native >/dev/null

. "$root/scripts/lib/wine-env.sh"
build="$root/build/$preset"
rigctl="$build/rig/bin/nullmodemctl"
echo "== preparing a private Wine prefix (the first time takes a few seconds)"
mokacomm_run_start demo "$build"
scratch=$MOKACOMM_SCRATCH

set -- $("$rigctl" up --session demo)
host_com=COM$1
peer_com=COM$2
peer_pty=$("$rigctl" path "$2")
echo "== a virtual null-modem cable joins $host_com and $peer_com"

# The host reads what the peer types into this pipe; the script holds it open too, so the host's
# input ends only when the script says so, whatever becomes of the peer.
input="$scratch/host-input"
log="$scratch/host.log"
mkfifo "$input"
exec 3<>"$input"
(timeout 120 "$root/scripts/lib/wine-exec" "$build/bin/terminal_host.exe" "$host_com" <"$input" 2>&1 | tee "$log") 3>&- &
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
else
    echo "== the demo failed" >&2
fi
exit $status
