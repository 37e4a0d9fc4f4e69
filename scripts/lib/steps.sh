# Shell functions that make a script say which step it was in when it stops with a failure,
# and run its clean-ups when it ends, whatever the cause. Sourced by the scripts; POSIX sh.
#
#   mokacomm_steps NAME   once, first: NAME begins every message ("test.sh")
#   mokacomm_step TEXT    before each step, what it does ("building i686")
#   mokacomm_at_exit CMD  a clean-up for the end; the last one given runs first
#
# Under `set -e` a failing command ends the script at once; the EXIT trap then names the step.
# Status 77 is not a failure: it says that a test did not run (CTest's SKIP_RETURN_CODE).

mokacomm_steps() {
    MOKACOMM_SCRIPT=$1
    MOKACOMM_STEP="starting"
    MOKACOMM_CLEANUPS=""
    trap 'mokacomm_exit $?' EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
}

mokacomm_step() {
    MOKACOMM_STEP=$1
}

mokacomm_at_exit() {
    MOKACOMM_CLEANUPS="$1; $MOKACOMM_CLEANUPS"
}

mokacomm_exit() {
    trap - EXIT
    if [ "$1" -ne 0 ] && [ "$1" -ne 77 ]; then
        echo "$MOKACOMM_SCRIPT: failed in: $MOKACOMM_STEP (status $1)" >&2
    fi
    # A clean-up that fails must neither hide the status nor stop the ones after it.
    set +e
    eval "$MOKACOMM_CLEANUPS"
    exit "$1"
}
