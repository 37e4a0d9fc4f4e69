#!/bin/sh
# Builds the fuzzers of the library's platform-free parts natively with clang (libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer) and runs them side by side for a bounded time.
# Fails when a fuzzer finds anything: a broken property, a sanitizer report, a crash or a hang.
#   MOKACOMM_FUZZ_SECONDS=10  time for each fuzzer (default 60); 0 only builds them
#   MOKACOMM_FUZZ_MERGE=1     afterwards adds what the run found, minimised, to corpus/<name>/
# Findings are kept in build/fuzz/findings/<name>/; replay one with build/fuzz/<name> FILE.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
. "$root/scripts/lib/steps.sh"
mokacomm_steps fuzz/run.sh
seconds=${MOKACOMM_FUZZ_SECONDS:-60}
case $seconds in
'' | *[!0-9]*) echo "fuzz: MOKACOMM_FUZZ_SECONDS must be a number of seconds" >&2; exit 2 ;;
esac
out="$root/build/fuzz"
cxx=$(command -v clang++-14 || command -v clang++) || {
    echo "fuzz: clang++ is missing (scripts/packages.txt)" >&2
    exit 1
}
flags="-std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all
       -fno-omit-frame-pointer -Wall -Wextra -I$root/src -I$out/generated -I$here"

fuzzers="port_names registry_text settings_merge"
sources() {
    case $1 in
    port_names) echo "$here/PortNamesFuzzer.cpp $root/src/interface/PortNames.cpp" ;;
    registry_text) echo "$here/RegistryTextFuzzer.cpp $root/src/dialogs/RegistryText.cpp" ;;
    settings_merge) echo "$here/SettingsMergeFuzzer.cpp" ;;
    esac
}

mkdir -p "$out/generated"
mokacomm_step "generating the library's texts"
python3 "$root/cmake/library_texts.py" "$root/res/LibraryTexts.utf8" "$out/generated/LibraryTexts.h"
for name in $fuzzers; do
    mokacomm_step "building the fuzzer $name"
    # shellcheck disable=SC2046,SC2086
    "$cxx" $flags -o "$out/$name" $(sources "$name")
done

# libFuzzer takes a limit of 0 as no limit at all.
[ "$seconds" -eq 0 ] && exit 0

scratch=$(mktemp -d /tmp/mokacomm-fuzz.XXXXXX)
stop() {
    for pid in "$scratch"/*/pid; do
        [ -f "$pid" ] && kill "$(cat "$pid")" 2>/dev/null
    done
    rm -rf "$scratch"
}
mokacomm_at_exit stop
mokacomm_step "fuzzing"
for name in $fuzzers; do
    mkdir -p "$scratch/$name/corpus" "$scratch/$name/artifacts"
    # New inputs go to the scratch corpus (the first folder); the kept corpus is only read.
    "$out/$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 -print_final_stats=1 \
        -artifact_prefix="$scratch/$name/artifacts/" \
        "$scratch/$name/corpus" "$here/corpus/$name" >"$scratch/$name/log" 2>&1 &
    echo $! >"$scratch/$name/pid"
done

status=0
found=
for name in $fuzzers; do
    code=0
    wait "$(cat "$scratch/$name/pid")" || code=$?
    rm "$scratch/$name/pid"
    log="$scratch/$name/log"
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    corpus=$(ls "$scratch/$name/corpus" "$here/corpus/$name" | grep -vc ':$\|^$' || true)
    findings=$(ls "$scratch/$name/artifacts" | wc -l)
    echo "fuzz $name: ${runs:-?} runs (limit $seconds s), corpus $corpus inputs," \
        "$findings findings, exit $code"
    if [ "$code" -ne 0 ] || [ "$findings" -ne 0 ]; then
        status=1
        found="$found $name"
        tail -n 40 "$log"
        mkdir -p "$out/findings/$name"
        cp "$scratch/$name/artifacts/"* "$out/findings/$name/" 2>/dev/null || true
        echo "fuzz $name: the inputs are in $out/findings/$name/"
    elif [ "${MOKACOMM_FUZZ_MERGE:-0}" = 1 ]; then
        "$out/$name" -merge=1 "$here/corpus/$name" "$scratch/$name/corpus" >/dev/null 2>&1
    fi
done
mokacomm_step "fuzzing: the fuzzers$found found something (see above)"
exit $status
