#!/bin/sh
# Builds the reliability tests and runs them under Wine on a private prefix and wine server that
# are removed afterwards, printing every figure that docs/reliability.md reports.
#   tests/reliability/run.sh                       the i686 build (x86_64 where 32-bit programs
#                                                  do not run)
#   tests/reliability/run.sh x86_64                another preset
#   tests/reliability/run.sh i686 --gtest_filter='Load.*'   arguments for the test programs
#   tests/reliability/run.sh i686 probe            wait_leak_probe instead of the tests
#   MOKACOMM_LOAD_SECONDS=30    the full load test (the suite runs 5 s)
#   MOKACOMM_SOAK_CYCLES=N      Open/Close cycles of the soak (default 1000)
#   MOKACOMM_FIRE_CYCLES=N      Close or destruction under fire (default 40)
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
MOKACOMM_LIB=$root/scripts/lib
. "$MOKACOMM_LIB/steps.sh"
. "$MOKACOMM_LIB/wine-env.sh"
mokacomm_steps reliability/run.sh

mokacomm_step "setting up (scripts/setup.sh)"
"$root/scripts/setup.sh"
mokacomm_step "choosing the build"
preset=
case "${1:-}" in
    i686 | x86_64) preset=$1; shift ;;
esac
[ -n "$preset" ] || preset=$(mokacomm_default_preset i686)
mokacomm_runs_preset "$preset"
cd "$root"
mokacomm_step "configuring $preset"
cmake --preset "$preset" >/dev/null
mokacomm_step "building $preset"
cmake --build --preset "$preset" -j 2 --target reliability_core_tests reliability_tests \
    wait_leak_probe

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
failed=
for program in $programs; do
    mokacomm_step "running $program.exe"
    "$root/tests/support/wine-run" "$build/bin/$program.exe" "$@" ||
        { status=1; failed="$failed $program.exe"; }
done
mokacomm_step "$failed (see above)"
exit $status
