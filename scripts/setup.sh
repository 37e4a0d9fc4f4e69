#!/bin/sh
# Installs what building and testing Mokacomm needs (scripts/packages.txt), once: a second run
# finds everything in place and does nothing. Debian 12 with apt; as root or with sudo.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib/steps.sh"
mokacomm_steps setup.sh

missing=""
for p in $(cat "$here/packages.txt"); do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing="$missing $p"
    fi
done
[ -z "$missing" ] && exit 0

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
echo "setup: installing$missing" >&2
mokacomm_step "adding the i386 architecture (dpkg)"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
fi
# A mirror caught mid-sync may serve one architecture's security index and not the other's; the
# Multi-Arch packages (libc6, libssl3, ...) must have one version in both, so the install then
# takes the release's own versions, which every index has.
mokacomm_step "loading the package lists (apt-get update)"
release=""
if ! $SUDO apt-get update -qq; then
    release="-t $(. /etc/os-release && echo "$VERSION_CODENAME")"
    echo "setup: the package lists did not all load; installing from $release" >&2
fi
mokacomm_step "installing$missing (apt-get install)"
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $release $missing >/dev/null
