#!/bin/sh
# Installs what building and testing Mokacomm needs (scripts/packages.txt), once: a second run
# finds everything in place and does nothing. Debian 12 with apt; as root or with sudo.
set -eu
here=$(cd "$(dirname "$0")" && pwd)

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
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -qq
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing >/dev/null
