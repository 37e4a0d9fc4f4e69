#!/bin/sh
# scripts/release.sh packs the checkout's files stamped with its commit's time and version, so it
# refuses a checkout with changes that are not committed unless told to (--allow-dirty). Checked
# in a scratch repository of release.sh, the shell functions it takes from scripts/lib, and a
# stand-in for scripts/setup.sh, its first step, which says that the script got that far.
#   release_dirty.sh SOURCE_DIR
set -eu
source=$1
work=$(mktemp -d "${MOKACOMM_SCRATCH:-/tmp}/release-dirty.XXXXXX")
trap 'rm -rf "$work"' EXIT

repo="$work/repo"
mkdir -p "$repo/scripts"
cp "$source/scripts/release.sh" "$repo/scripts/"
cp -r "$source/scripts/lib" "$repo/scripts/"
printf '#!/bin/sh\necho "setup reached"\nexit 3\n' >"$repo/scripts/setup.sh"
chmod +x "$repo/scripts/setup.sh"
echo 1.0.0 >"$repo/VERSION"
git -C "$repo" init -q
git -C "$repo" add .
git -C "$repo" -c user.name=test -c user.email=test@localhost commit -q -m "a release"

status=0
# release WHAT [ARGS...]: runs release.sh, its output in $work/out.
release() {
    what=$1
    shift
    if sh "$repo/scripts/release.sh" "$@" >"$work/out" 2>&1; then
        echo "$what: release.sh succeeded, which the stand-in set-up never lets it" >&2
        status=1
    fi
}
expect() {
    if ! grep -q -- "$2" "$work/out"; then
        echo "$1: no \"$2\" in what release.sh said:" >&2
        cat "$work/out" >&2
        status=1
    fi
}
refuse() {
    if grep -q "setup reached" "$work/out"; then
        echo "$1: release.sh went on:" >&2
        cat "$work/out" >&2
        status=1
    fi
}

release "a clean tree"
expect "a clean tree" "setup reached"

echo 1.0.1 >"$repo/VERSION"
touch "$repo/new-file"
release "a dirty tree"
refuse "a dirty tree"
expect "a dirty tree" "VERSION"
expect "a dirty tree" "new-file"
expect "a dirty tree" "--allow-dirty"

release "a dirty tree with --allow-dirty" --allow-dirty
expect "a dirty tree with --allow-dirty" "setup reached"
expect "a dirty tree with --allow-dirty" "VERSION"

[ $status -eq 0 ] && echo "release.sh refuses a dirty tree unless --allow-dirty"
exit $status
