#!/bin/sh
# Builds Mokacomm for 32-bit and 64-bit Windows, with mingw-w64 and with the Microsoft C++ ABI,
# and runs the whole test suite under Wine, on a private Wine prefix, wine server and X display
# that are removed afterwards; with all four builds, it checks the release archives made of them.
#   MOKACOMM_PRESETS="i686"  limits the run to some builds (default: all four). The first one
#                            named gives the run its rig; the Microsoft-ABI builds compare their
#                            resources with the mingw-w64 build of the same architecture.
#   MOKACOMM_TESTS=REGEX     runs only the tests whose names match (ctest -R)
#   MOKACOMM_FUZZ_SECONDS=10 shortens the fuzzing step at the end (default 60 s per fuzzer).
# On a machine that runs no 32-bit programs the 32-bit builds are still built and their static
# checks run, but their test programs are reported as skipped (CTest's "Skipped"):
#   MOKACOMM_NO_IA32=1       takes that path on any machine
#   MOKACOMM_REQUIRE_32BIT=1 makes each such test program fail instead, for a release machine
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
MOKACOMM_LIB=$root/scripts/lib
. "$MOKACOMM_LIB/steps.sh"
. "$MOKACOMM_LIB/wine-env.sh"
mokacomm_steps test.sh
presets=${MOKACOMM_PRESETS:-"i686 x86_64 i686-msvc x86_64-msvc"}

mokacomm_step "setting up (scripts/setup.sh)"
"$root/scripts/setup.sh"
cd "$root"
for p in $presets; do
    mokacomm_step "configuring $p"
    cmake --preset "$p" >/dev/null
    mokacomm_step "building $p"
    cmake --build --preset "$p" -j 2
done

not_run=""
for p in $presets; do
    mokacomm_runs_preset "$p" 2>/dev/null || not_run="$not_run $p"
done
not_run_means="is reported as skipped"
[ "${MOKACOMM_REQUIRE_32BIT:-0}" = 1 ] && not_run_means="fails, as MOKACOMM_REQUIRE_32BIT=1 asks"
if [ -n "$not_run" ]; then
    echo "== $MOKACOMM_IA32_WHY: the test programs of$not_run do not run"
fi

set -- $presets
mokacomm_run_start test "$root/build/$1" display

if [ -n "${MOKACOMM_TESTS:-}" ]; then set -- -R "$MOKACOMM_TESTS"; else set --; fi
status=0
failed=""
for p in $presets; do
    mokacomm_step "running the tests of $p"
    echo "== tests for $p"
    case " $not_run " in
        *" $p "*) echo "== its test programs are 32-bit: each $not_run_means; the checks that run" \
                       "none run" ;;
    esac
    ctest --preset "$p" -j 2 "$@" ||
        { status=1; failed="$failed $p"; }
done

# The release archives, packed from these build trees as scripts/release.sh packs its own.
mokacomm_step "checking the release archives"
echo "== release archives"
built=0
for p in i686 x86_64 i686-msvc x86_64-msvc; do
    case " $presets " in *" $p "*) built=$((built + 1)) ;; esac
done
if [ $built -eq 4 ]; then
    sh "$root/tests/package/archives.sh" "$root" "$root/build" ||
        { status=1; failed="$failed archives"; }
else
    echo "skipped: they take all four builds"
fi

# Native, not under Wine: the platform-free parts built with clang's sanitizers and fuzzed.
mokacomm_step "fuzzing"
echo "== fuzzing"
# Wine's locale means nothing to Linux programs, whose shells only warn about it.
env -u LC_ALL "$root/tests/fuzz/run.sh" || { status=1; failed="$failed fuzzing"; }

if [ -n "$not_run" ]; then
    if [ "${MOKACOMM_REQUIRE_32BIT:-0}" = 1 ]; then
        echo "== the 32-bit test programs of$not_run failed, as MOKACOMM_REQUIRE_32BIT=1 asks:" \
             "$MOKACOMM_IA32_WHY"
    else
        echo "== not run: the 32-bit test programs of$not_run (skipped, not passed), because" \
             "$MOKACOMM_IA32_WHY; their builds, static checks and every 64-bit test ran"
    fi
fi
mokacomm_step "the tests of:$failed (see above)"
exit $status
