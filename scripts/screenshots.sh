#!/bin/sh
# Takes PNG screenshots of the port selection dialog, the settings dialog and one message box
# under Xvfb: docs/port-select.png, docs/settings.png, docs/message.png.
# Usage: scripts/screenshots.sh [BUILD_DIR]   (default build/i686, built beforehand)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/i686}
host="$build/bin/dialog_screenshots.exe"
[ -f "$host" ] || { echo "no $host: build the tree first" >&2; exit 1; }
command -v import >/dev/null || { echo "import (imagemagick) is missing" >&2; exit 1; }

. "$root/scripts/lib/wine-env.sh"
scratch=$(mktemp -d /tmp/mokacomm-screenshots.XXXXXX)
mokacomm_env "$scratch"
trap 'mokacomm_env_stop; rm -rf "$scratch"' EXIT INT TERM
# The display comes first: the desktop process that the wine server starts with wineboot binds
# to the display it finds then, and without one no window of the prefix can be shown.
mokacomm_display_start
mokacomm_prefix_ready
mokacomm_server_start
# The templates name ＭＳ Ｐゴシック, a proportional face the machine lacks. Wine's own pick is the
# fixed-pitch IPAGothic, whose wider letters cut the labels short; its proportional sister is the
# nearer likeness. Given as a UTF-16 .reg file: a Japanese name on reg's command line arrives
# garbled.
printf 'Windows Registry Editor Version 5.00\r\n\r\n%s\r\n"%s"="IPAPGothic"\r\n' \
    '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' 'ＭＳ Ｐゴシック' |
    iconv -f UTF-8 -t UTF-16 >"$scratch/fonts.reg"

# Wine maps the Linux root to drive Z:.
windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }
wine regedit /S "$(windows_path "$scratch/fonts.reg")" </dev/null >/dev/null 2>&1

shoot() {
    # $1: the host's mode, $2: the picture's file name under docs/
    proceed="$scratch/proceed-$1"
    out="$scratch/out-$1"
    wine "$host" "$1" "$(windows_path "$proceed")" >"$out" 2>&1 &
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

shoot port port-select.png
shoot settings settings.png
shoot message message.png
