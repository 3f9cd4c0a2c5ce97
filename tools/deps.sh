#!/bin/sh
# deps.sh PACKAGE...: make sure these Debian packages are installed.
# As root, installs the missing ones; otherwise prints the line to run and fails.
set -eu
missing=""
for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done
[ -z "$missing" ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
    echo "Missing Debian packages. As root, run:" >&2
    echo "  apt-get update && apt-get install -y --no-install-recommends$missing" >&2
    exit 1
fi
echo "Installing:$missing"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends $missing
