#!/bin/sh
# Builds Mokacomm and runs its benchmark program under Wine on the virtual null-modem, on a
# private Wine prefix and wine server that are removed afterwards. No display: nothing in the
# benchmark shows a window.
#   scripts/bench.sh                     the i686 build (x86_64 where 32-bit programs do not run)
#   scripts/bench.sh x86_64              another preset; "both" runs i686 and x86_64
#   scripts/bench.sh i686 latency idle   only some phases (throughput latency idle open-close)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
MOKACOMM_LIB=$root/scripts/lib
. "$MOKACOMM_LIB/steps.sh"
. "$MOKACOMM_LIB/wine-env.sh"
mokacomm_steps bench.sh

mokacomm_step "setting up (scripts/setup.sh)"
"$root/scripts/setup.sh"
mokacomm_step "choosing the builds"
presets=
case "${1:-}" in
    both) presets="i686 x86_64"; shift ;;
    i686 | x86_64) presets=$1; shift ;;
esac
[ -n "$presets" ] || presets=$(mokacomm_default_preset i686)
for p in $presets; do
    mokacomm_runs_preset "$p"
done
cd "$root"
for p in $presets; do
    mokacomm_step "configuring $p"
    cmake --preset "$p" >/dev/null
    mokacomm_step "building $p"
    cmake --build --preset "$p" -j 2 --target bench_mokacomm
done

first=${presets%% *}
mokacomm_run_start bench "$root/build/$first"
MOKACOMM_RIG_CTL="$MOKACOMM_RUN_RIG/bin/nullmodemctl"
export MOKACOMM_RIG_CTL

# The wine server of this prefix, found by the WINEPREFIX in its environment, so that the
# benchmark can read its CPU time from /proc.
MOKACOMM_BENCH_SERVER_PID=
for dir in /proc/[0-9]*; do
    case $(cat "$dir/comm" 2>/dev/null) in
        wineserver*)
            if { tr '\0' '\n' <"$dir/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX"; then
                MOKACOMM_BENCH_SERVER_PID=${dir#/proc/}
            fi ;;
    esac
done
export MOKACOMM_BENCH_SERVER_PID

echo "date:    $(date -u '+%Y-%m-%d %H:%M UTC')"
echo "machine: $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)," \
     "$(nproc) cores, $(uname -sr), $("$MOKACOMM_LIB/wine-exec" --version)"
echo "load:    $(cut -d ' ' -f 1-3 /proc/loadavg) (1, 5, 15 min) before the run"
status=0
failed=
for p in $presets; do
    mokacomm_step "running bench_mokacomm.exe of $p"
    echo "== bench_mokacomm, $p"
    MOKACOMM_RIG_SESSION="bench-$$-$p"
    export MOKACOMM_RIG_SESSION
    "$MOKACOMM_LIB/wine-exec" "$root/build/$p/bin/bench_mokacomm.exe" "$@" ||
        { status=1; failed="$failed $p"; }
    "$MOKACOMM_RIG_CTL" reap "$MOKACOMM_RIG_SESSION" >/dev/null 2>&1 || true
done
mokacomm_step "bench_mokacomm.exe of:$failed"
exit $status
