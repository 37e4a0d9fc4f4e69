# Shell functions that give a run its own Wine prefix, wine server and X display.
# Sourced by scripts/test.sh, scripts/demo.sh and tests/support/wine-run; POSIX sh.
#
# Measured facts this relies on:
#  - WINEDEBUG=-all and the mscoree/mshtml overrides keep Wine quiet and skip its Mono and Gecko
#    installers; a fresh prefix takes about 10 s.
#  - LC_ALL=ja_JP.UTF-8 gives the ANSI code page 932 (LANG alone does not), the suite's own locale;
#    LC_ALL=en_US.UTF-8 gives 1252. No generated locale is required. Each program takes its code
#    page from its own LC_ALL, also while the wine server and the other programs of the run have
#    another (tests/support/wine-run applies a test's MOKACOMM_LOCALE so).
#  - A wine server kept alive for the whole run (wineserver -p, with every stream redirected, or
#    CTest waits on its pipes forever) saves about 2.5 s per program.

MOKACOMM_MARLETT=/usr/share/wine/fonts/marlett.ttf

mokacomm_env() {
    # $1: scratch folder of this run (created if missing)
    MOKACOMM_SCRATCH=$1
    mkdir -p "$MOKACOMM_SCRATCH"
    export MOKACOMM_SCRATCH
    export WINEPREFIX="$MOKACOMM_SCRATCH/prefix"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    export LC_ALL=ja_JP.UTF-8
    export MOKACOMM_RIG_DIR="$MOKACOMM_SCRATCH/rig"
    mkdir -p "$MOKACOMM_RIG_DIR"
}

mokacomm_rig_preload() {
    # $1: folder holding lib/<multiarch>/libnullmodem.so for both architectures. The dynamic
    # loader expands $LIB to the right one in the 32-bit and the 64-bit Wine processes.
    export LD_PRELOAD="$1/\$LIB/libnullmodem.so"
}

mokacomm_prefix_ready() {
    # Creates the prefix once; concurrent callers wait for the first one.
    (
        flock 9
        if [ ! -f "$WINEPREFIX/.mokacomm-ready" ]; then
            wineboot -i </dev/null >/dev/null 2>&1 || true
            wineserver -w
            # Without a window manager Wine draws no captions unless it manages the windows.
            wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
            wineserver -w
            # The caption buttons are glyphs of Marlett, without which they show as letters ("r"
            # for the close box). Debian's Wine 8 does not look where fonts-wine puts it.
            cp "$MOKACOMM_MARLETT" "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
            touch "$WINEPREFIX/.mokacomm-ready"
        fi
    ) 9>"$MOKACOMM_SCRATCH/.prefix.lock"
}

mokacomm_server_start() {
    wineserver -p 30 </dev/null >/dev/null 2>&1
    # The desktop process (explorer.exe /desktop) ends a moment after the last program of the
    # prefix has ended, and the next program to show a window starts it again, passing on its own
    # stderr: CTest then counts that test as running until the desktop ends, with the last program
    # of the tests beside it (a test of 1.5 s took 167 s). A program that waits for input that
    # never comes (a FIFO open for reading and writing) keeps the desktop that wineboot starts,
    # with these streams, for the whole run.
    [ -p "$MOKACOMM_SCRATCH/desktop-keeper" ] || mkfifo "$MOKACOMM_SCRATCH/desktop-keeper"
    wine cmd.exe /c pause <>"$MOKACOMM_SCRATCH/desktop-keeper" >/dev/null 2>&1 &
    wine wineboot </dev/null >/dev/null 2>&1 || true
}

mokacomm_display_start() {
    # Starts a private Xvfb on the first free display number and exports DISPLAY.
    n=90
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
    MOKACOMM_XVFB_PID=$!
    i=0
    while [ ! -e "/tmp/.X11-unix/X$n" ] && [ $i -lt 100 ]; do sleep 0.05; i=$((i + 1)); done
    export DISPLAY=":$n"
}

mokacomm_env_stop() {
    wineserver -k </dev/null >/dev/null 2>&1 || true
    if [ -n "${MOKACOMM_XVFB_PID:-}" ]; then
        kill "$MOKACOMM_XVFB_PID" 2>/dev/null || true
        wait "$MOKACOMM_XVFB_PID" 2>/dev/null || true
    fi
}

mokacomm_run_start() {
    # One whole run on a private scratch folder, removed when the calling script exits.
    # $1 names the run, $2 is the build tree whose rig the run uses, $3 is "display" when the run
    # shows windows. The display comes first: the wine server's desktop process takes the
    # DISPLAY it starts with.
    MOKACOMM_RUN_RIG="$2/rig"
    mokacomm_env "$(mktemp -d "/tmp/mokacomm-$1.XXXXXX")"
    trap mokacomm_run_stop EXIT
    trap 'exit 130' INT TERM
    if [ "${3:-}" = display ]; then
        mokacomm_display_start
    fi
    mokacomm_prefix_ready
    mokacomm_rig_preload "$MOKACOMM_RUN_RIG"
    mokacomm_server_start
}

mokacomm_run_stop() {
    # A program killed at its time-out leaves its null-modem pairs behind.
    "$MOKACOMM_RUN_RIG/bin/nullmodemctl" reap --all >/dev/null 2>&1 || true
    mokacomm_env_stop
    rm -rf "$MOKACOMM_SCRATCH"
}
