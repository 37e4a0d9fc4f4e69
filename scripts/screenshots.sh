#!/bin/sh
# Takes PNG screenshots of the port selection dialog, the settings dialog and one message box
# under Xvfb: docs/port-select.png, docs/settings.png, docs/message.png; and of the example window
# host talking to the far end of a virtual null-modem: docs/window-host.png.
# Usage: scripts/screenshots.sh [BUILD_DIR]   (default build/i686, built beforehand; build/x86_64
# on a machine that runs no 32-bit programs)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
MOKACOMM_LIB=$root/scripts/lib
. "$MOKACOMM_LIB/steps.sh"
. "$MOKACOMM_LIB/wine-env.sh"
mokacomm_steps screenshots.sh
mokacomm_step "choosing the build"
build=${1:-$root/build/$(mokacomm_default_preset i686)}
mokacomm_runs_preset "$(basename "$build")"
for program in dialog_screenshots window_host_screenshot window_host; do
    [ -f "$build/bin/$program.exe" ] || { echo "no $build/bin/$program.exe: build the tree first" >&2; exit 1; }
done
command -v import >/dev/null || { echo "import (imagemagick) is missing" >&2; exit 1; }

[ -f "$MOKACOMM_MARLETT" ] || { echo "Wine's Marlett font (fonts-wine) is missing" >&2; exit 1; }
mokacomm_run_start screenshots "$build" display
scratch=$MOKACOMM_SCRATCH
export MOKACOMM_RIG_CTL="$build/rig/bin/nullmodemctl"
# The templates name ＭＳ Ｐゴシック, a proportional face the machine lacks. Wine's own pick is the
# fixed-pitch IPAGothic, whose wider letters cut the labels short; its proportional sister is the
# nearer likeness. Given as a UTF-16 .reg file: a Japanese name on reg's command line arrives
# garbled.
printf 'Windows Registry Editor Version 5.00\r\n\r\n%s\r\n"%s"="IPAPGothic"\r\n' \
    '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' 'ＭＳ Ｐゴシック' |
    iconv -f UTF-8 -t UTF-16 >"$scratch/fonts.reg"

# Wine maps the Linux root to drive Z:.
windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }
mokacomm_step "replacing the templates' font"
mokacomm_wine regedit /S "$(windows_path "$scratch/fonts.reg")" </dev/null >/dev/null 2>&1

shoot() {
    # $1: the program under the build's bin/, $2: its mode, $3: the picture's file name under docs/
    program=$1
    shift
    proceed="$scratch/proceed-$1"
    out="$scratch/out-$1"
    exe="$build/bin/$program.exe"
    mokacomm_step "taking docs/$2 with $program.exe"
    if [ "$1" = - ]; then
        "$MOKACOMM_LIB/wine-exec" "$exe" "$(windows_path "$proceed")" >"$out" 2>&1 &
    else
        "$MOKACOMM_LIB/wine-exec" "$exe" "$1" "$(windows_path "$proceed")" >"$out" 2>&1 &
    fi
    pid=$!
    i=0
    while ! grep -qE '^-?[0-9]+ -?[0-9]+ [0-9]+ [0-9]+' "$out" 2>/dev/null; do
        if [ $i -ge 300 ] || ! kill -0 $pid 2>/dev/null; then
            echo "the $1 window did not appear:" >&2
            cat "$out" >&2
            kill $pid 2>/dev/null || true
            return 1
        fi
        sleep 0.1
        i=$((i + 1))
    done
    # Let the window finish drawing before the picture is taken.
    sleep 1
    set -- "$1" "$2" $(grep -E '^-?[0-9]+ ' "$out" | head -1 | tr -d '\r')
    import -window root -crop "${5}x${6}+${3}+${4}" +repage "$root/docs/$2"
    touch "$proceed"
    wait $pid
    echo "docs/$2"
}

shoot dialog_screenshots port port-select.png
shoot dialog_screenshots settings settings.png
shoot dialog_screenshots message message.png
shoot window_host_screenshot - window-host.png
