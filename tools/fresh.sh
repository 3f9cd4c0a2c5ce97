#!/bin/sh
# fresh.sh "DEMO PACKAGES" "OTHER PACKAGES": what a new user runs (make demo,
# make dist with pkg install, givqr_build), on this machine as a fresh one
# would see it: the files of every other package (those only the tests,
# benchmarks and cross builds need) hidden, except where the demo's packages
# depend on them, with what those packages pulled in, and /usr/local and
# the caller's PATH out of sight.  Fails
# where any of these paths looks for what it hid.
#
# The hiding is an overlay on /usr in a mount namespace of its own, holding
# a whiteout for each file of those packages; nothing outside the namespace
# changes.  Needs root (CI and the README's commands run as root).
set -eu
demo=$1
others=$2
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-build}-fresh

if [ "$(id -u)" -ne 0 ]; then
    echo "fresh.sh: needs root, for a mount namespace" >&2
    exit 1
fi
# the demo's packages for real, outside: apt inside would write below the overlay
sh "$top/tools/deps.sh" $demo

# apt's dependencies of packages, recursively, among those installed
closure() {
    apt-cache depends --recurse --installed --no-recommends --no-suggests --no-conflicts --no-breaks \
        --no-replaces --no-enhances "$@" 2>/dev/null | grep -v -e '^ ' -e '^<' | sed 's/:.*//' | sort -u
}
installed=""
for p in $others; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" && installed="$installed $p"
done
closure $demo > "${TMPDIR:-/tmp}/fresh-need.$$"
hide=$(closure $installed | comm -13 "${TMPDIR:-/tmp}/fresh-need.$$" -)
rm -f "${TMPDIR:-/tmp}/fresh-need.$$"

# what make demo and make dist ask apt for must be the demo's packages alone
asked=$(cd "$top" && make -s -n demo dist BUILD="$build" | sed -n 's/.*tools\/deps.sh//p' | tr ' ' '\n' | sort -u)
for p in $hide; do
    if echo "$asked" | grep -qx "$p"; then
        echo "fresh.sh: make demo or make dist installs $p, which only the tests need" >&2
        exit 1
    fi
done

scratch=$(mktemp -d /tmp/givqr-fresh.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/home"
echo "hidden: the files of" $hide "and /usr/local"
unshare --mount --propagation private sh -eu -c '
    top=$1 build=$2 scratch=$3; shift 3
    mount -t tmpfs tmpfs "$scratch/home"
    mkdir -p "$scratch/home/upper" "$scratch/home/work" "$scratch/home/user"
    count=0
    for f in $(dpkg -L "$@" 2>/dev/null | sed -n -e "s,^/\(bin\|sbin\|lib\|lib64\)/,/usr/\1/,; s,^/usr/,,p"); do
        [ -d "/usr/$f" ] && [ ! -L "/usr/$f" ] && continue
        [ -e "/usr/$f" ] || [ -L "/usr/$f" ] || continue
        mkdir -p "$scratch/home/upper/${f%/*}"
        [ -e "$scratch/home/upper/$f" ] || mknod "$scratch/home/upper/$f" c 0 0
        count=$((count + 1))
    done
    mknod "$scratch/home/upper/local" c 0 0
    mount -t overlay overlay -o "lowerdir=/usr,upperdir=$scratch/home/upper,workdir=$scratch/home/work" /usr
    echo "$count files hidden"
    export PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=$scratch/home/user
    unset LD_LIBRARY_PATH PYTHONPATH || true
    cd "$top"
    # the hiding holds: the tests cannot be configured here
    if cmake -S . -B "$build-tests" -DGIVQR_TESTS=ON > "$scratch/home/tests.log" 2>&1; then
        echo "fresh.sh: the tests configure with their packages hidden: the hiding failed" >&2
        exit 1
    fi
    grep -q "GoogleTest not found\|MPFR not found" "$scratch/home/tests.log"
    rm -rf "$build-tests"
    make demo BUILD="$build"
    test -s "$build/smoothing.png"
    make test-dist BUILD="$build"
    octave-cli --norc --quiet --no-window-system --eval "addpath (\"$top\"); givqr_build (\"$build/mex-built\"); \
      addpath (\"$build/mex-built\"); z = givsmooth ((1:10)'\'', 0.5); assert (norm (z - (1:10)'\'') < 1e-12); \
      printf (\"givqr_build: the commands built and run\n\")"
' fresh "$top" "$top/$build" "$scratch" $hide
