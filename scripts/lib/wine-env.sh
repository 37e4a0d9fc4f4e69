# Shell functions that give a run its own Wine prefix, wine server and X display, on the Wine
# loaders that this machine can run. Sourced by the scripts and by tests/support/wine-run; POSIX
# sh; the scripts source scripts/lib/steps.sh too. The caller sets MOKACOMM_LIB to this folder
# first.
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
#  - Some x86-64 kernels run no 32-bit programs at all ("Exec format error"). Debian's `wine`,
#    `wineboot` and `wine reg` take the 32-bit loader whenever wine32 is installed, so there every
#    Wine call goes to the 64-bit loader, with a 64-bit prefix, and 32-bit Windows programs do not
#    run (Debian's Wine 8 has no WoW64 DLLs to run them with the 64-bit loader).

export MOKACOMM_LIB
MOKACOMM_MARLETT=/usr/share/wine/fonts/marlett.ttf
MOKACOMM_WINE32=/usr/lib/wine/wine
MOKACOMM_WINE64=/usr/lib/wine/wine64

mokacomm_ia32_probe() {
    # Sets MOKACOMM_IA32 to 1 when the 32-bit Wine loader starts on this machine, 0 when not
    # (then MOKACOMM_IA32_WHY says why), once for a whole run: both are exported to every script
    # and program of the run. MOKACOMM_NO_IA32=1 takes the 64-bit-only path on any machine.
    [ -n "${MOKACOMM_IA32:-}" ] && return 0
    if [ "${MOKACOMM_NO_IA32:-0}" = 1 ]; then
        MOKACOMM_IA32=0
        MOKACOMM_IA32_WHY="MOKACOMM_NO_IA32=1 takes the 64-bit-only path"
    elif probe=$("$MOKACOMM_WINE32" --version 2>&1 </dev/null); then
        MOKACOMM_IA32=1
        MOKACOMM_IA32_WHY=
    else
        MOKACOMM_IA32=0
        # The shell's message ends with the system's reason ("...: Exec format error").
        probe=$(printf '%s' "$probe" | tr '\n' ' ' | sed 's/ *$//; s/.*: //')
        MOKACOMM_IA32_WHY="this machine runs no 32-bit programs ($MOKACOMM_WINE32: $probe)"
    fi
    export MOKACOMM_IA32 MOKACOMM_IA32_WHY
}

mokacomm_pe_machine() {
    # The machine field of a PE image: 8664 for x86-64, 014c for i386; empty for any other file.
    [ -f "$1" ] || return 0
    header=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')
    [ -n "$header" ] && od -An -tx2 -j$((header + 4)) -N2 "$1" 2>/dev/null | tr -d ' '
}

mokacomm_runs_preset() {
    # Whether the programs of build preset $1 (i686, x86_64-msvc, ...) run on this machine; when
    # they cannot, says why on standard error.
    mokacomm_ia32_probe
    case $1 in
        i686*)
            if [ "$MOKACOMM_IA32" = 0 ]; then
                echo "the $1 build's programs are 32-bit, and $MOKACOMM_IA32_WHY" >&2
                return 1
            fi ;;
    esac
    return 0
}

mokacomm_default_preset() {
    # The preset a script runs unless told: $1 (the 32-bit one) where 32-bit programs run, else
    # x86_64, with a line that says why.
    mokacomm_ia32_probe
    if [ "$MOKACOMM_IA32" = 1 ]; then
        echo "$1"
    else
        echo "== running the x86_64 build: $MOKACOMM_IA32_WHY" >&2
        echo x86_64
    fi
}

mokacomm_env() {
    # $1: scratch folder of this run (created if missing)
    mokacomm_ia32_probe
    MOKACOMM_SCRATCH=$1
    mkdir -p "$MOKACOMM_SCRATCH"
    export MOKACOMM_SCRATCH
    export WINEPREFIX="$MOKACOMM_SCRATCH/prefix"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    export LC_ALL=ja_JP.UTF-8
    if [ "$MOKACOMM_IA32" = 0 ]; then
        # The 64-bit loader also starts Wine's own programs and every child process.
        export WINEARCH=win64 WINELOADER="$MOKACOMM_WINE64"
    fi
    export MOKACOMM_RIG_DIR="$MOKACOMM_SCRATCH/rig"
    mkdir -p "$MOKACOMM_RIG_DIR"
}

mokacomm_rig_preload() {
    # $1: folder holding lib/<multiarch>/libnullmodem.so for both architectures. The dynamic
    # loader expands $LIB to the right one in the 32-bit and the 64-bit Wine processes.
    export LD_PRELOAD="$1/\$LIB/libnullmodem.so"
}

mokacomm_wine() {
    # Wine's own programs (wineboot, reg, regedit) under the loader that this machine runs.
    "$MOKACOMM_LIB/wine-exec" "$@"
}

mokacomm_prefix_ready() {
    # Creates the prefix once; concurrent callers wait for the first one.
    (
        flock 9
        if [ ! -f "$WINEPREFIX/.mokacomm-ready" ]; then
            mokacomm_wine wineboot -i </dev/null >/dev/null 2>&1 || true
            wineserver -w
            if [ ! -f "$WINEPREFIX/system.reg" ]; then
                echo "wineboot made no Wine prefix in $WINEPREFIX" >&2
                exit 1
            fi
            # Without a window manager Wine draws no captions unless it manages the windows.
            mokacomm_wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
                </dev/null >/dev/null 2>&1
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
    mokacomm_wine cmd.exe /c pause <>"$MOKACOMM_SCRATCH/desktop-keeper" >/dev/null 2>&1 &
    mokacomm_wine wineboot </dev/null >/dev/null 2>&1 || true
}

mokacomm_display_start() {
    # Starts a private Xvfb on the first free display number and exports DISPLAY.
    n=90
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
    MOKACOMM_XVFB_PID=$!
    i=0
    while [ ! -e "/tmp/.X11-unix/X$n" ] && [ $i -lt 100 ]; do sleep 0.05; i=$((i + 1)); done
    if [ ! -e "/tmp/.X11-unix/X$n" ]; then
        echo "Xvfb did not start on display :$n" >&2
        return 1
    fi
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
    # One whole run on a private scratch folder, removed when the calling script ends (it has
    # called mokacomm_steps). $1 names the run, $2 is the build tree whose rig the run uses, $3 is
    # "display" when the run shows windows. The display comes first: the wine server's desktop
    # process takes the DISPLAY it starts with.
    MOKACOMM_RUN_RIG="$2/rig"
    mokacomm_env "$(mktemp -d "/tmp/mokacomm-$1.XXXXXX")"
    mokacomm_at_exit mokacomm_run_stop
    if [ "${3:-}" = display ]; then
        mokacomm_step "starting the X display (Xvfb)"
        mokacomm_display_start
    fi
    mokacomm_step "preparing the Wine prefix"
    mokacomm_prefix_ready
    mokacomm_rig_preload "$MOKACOMM_RUN_RIG"
    mokacomm_step "starting the wine server"
    mokacomm_server_start
}

mokacomm_run_stop() {
    # A program killed at its time-out leaves its null-modem pairs behind.
    "$MOKACOMM_RUN_RIG/bin/nullmodemctl" reap --all >/dev/null 2>&1 || true
    mokacomm_env_stop
    rm -rf "$MOKACOMM_SCRATCH"
}
