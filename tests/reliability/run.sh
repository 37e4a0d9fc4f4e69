#!/bin/sh
# Builds the reliability tests and runs them under Wine on a private prefix and wine server that
# are removed afterwards, printing every figure that docs/reliability.md reports.
#   tests/reliability/run.sh                       the i686 build
#   tests/reliability/run.sh x86_64                another preset
#   tests/reliability/run.sh i686 --gtest_filter='Load.*'   arguments for the test programs
#   tests/reliability/run.sh i686 probe            wait_leak_probe instead of the tests
#   MOKACOMM_LOAD_SECONDS=30    the full load test (the suite runs 5 s)
#   MOKACOMM_SOAK_CYCLES=N      Open/Close cycles of the soak (default 1000)
#   MOKACOMM_FIRE_CYCLES=N      Close or destruction under fire (default 40)
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
preset=i686
case "${1:-}" in
    i686 | x86_64) preset=$1; shift ;;
esac

"$root/scripts/setup.sh"
cd "$root"
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j 2 --target reliability_core_tests reliability_tests \
    wait_leak_probe

. "$root/scripts/lib/wine-env.sh"
build="$root/build/$preset"
mokacomm_run_start reliability "$build"
MOKACOMM_RIG_CTL="$MOKACOMM_RUN_RIG/bin/nullmodemctl"
MOKACOMM_RIG_LIB="$MOKACOMM_RUN_RIG"
export MOKACOMM_RIG_CTL MOKACOMM_RIG_LIB

echo "== reliability, $preset, $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores"
programs="reliability_core_tests reliability_tests"
if [ "${1:-}" = probe ]; then
    programs=wait_leak_probe
    shift
fi
status=0
for program in $programs; do
    "$root/tests/support/wine-run" "$build/bin/$program.exe" "$@" || status=1
done
exit $status
