#!/bin/sh
# memory.sh OCTDIR: peak memory (resident set) of each command and of Octave's
# own solvers, each in an Octave of its own, at n = 10^6 and, for givfact and
# givsmooth, 10^7; then givfact (10^8, 0.1) followed by givfwd, with time and
# peak; and a panel of series.
# Prints a Markdown table.
set -eu
dir=$1
helpers=$(cd "$(dirname "$0")/../tests/octave" && pwd)     # stacked: A and D
octave() {  # prints "peak-kB seconds" of one Octave run, or fails with the run
    log=$(mktemp)
    if ! /usr/bin/time -f "%M %e" -o "$log.time" env OCTAVE_HISTFILE=/dev/null octave-cli --norc --quiet \
        --no-window-system --eval "addpath('$dir'); addpath('$helpers'); $1" > "$log" 2>&1; then
        echo "memory.sh: Octave failed on: $1" >&2
        cat "$log" "$log.time" >&2
        rm -f "$log" "$log.time"
        return 1
    fi
    tail -n 1 "$log.time"
    rm -f "$log" "$log.time"
}
setup="sigma = 0.1; m = n - 2;"
D="[A, D] = stacked (n, sigma);"
base=$(octave "1;")
base=${base% *}
echo "| run | n | peak memory (MB) | above Octave's own $((base / 1024)) MB | outputs (MB) | time (s) |"
echo "|---|---|---|---|---|---|"
row() {  # label n statement outputs_bytes
    r=$(octave "n = $2; $setup $3") || exit 1
    set -- "$1" "$2" "$3" "$4" "$r"
    peak=${5% *}; secs=${5#* }
    awk -v l="$1" -v n="$2" -v p="$peak" -v b="$base" -v o="$4" -v s="$secs" 'BEGIN {
        printf "| %s | %g | %.0f | %.0f | %s | %s |\n", l, n, p / 1024, (p - b) / 1024,
               o == "" ? "-" : sprintf("%.0f", o / 1048576), s }'
}
out() {  # bytes of Qbar and R for n: 6m doubles; 3m-3 values and row indices; m+1 column starts
    awk -v n="$1" 'BEGIN { m = n - 2; printf "%.0f", 8 * (6 * m + 2 * (3 * m - 3) + m + 1) }'
}
row "givfact" 1e6 "[Q, R] = givfact (n, sigma);" "$(out 1e6)"
row "givfact" 1e7 "[Q, R] = givfact (n, sigma);" "$(out 1e7)"
row "qr(A), A built first" 1e6 "$D R = qr (A);" ""
row "chol(D*D' + sigma^2*I), built first" 1e6 "$D L = chol (D*D' + sigma^2*speye (m));" ""
row "y made, then givsmooth (y, 0.025): y and z" 1e7 "y = randn (n, 1); z = givsmooth (y, 0.025);" "$(awk 'BEGIN { printf "%.0f", 16e7 }')"
row "y made, then givsmooth (y, 1e-8): y and z" 1e7 "y = randn (n, 1); z = givsmooth (y, 1e-8);" "$(awk 'BEGIN { printf "%.0f", 16e7 }')"
# a panel of 10^5 series of 365 points, a third of them NaN: the work is
# the threads' lanes of n points, beyond y and z
panel="y = randn (365, 1e5); y(1:3:end) = NaN;"
row "a panel of 365 x 10^5, givsmooth (y, 0.025): y and z" 365 "$panel z = givsmooth (y, 0.025);" "$((2 * 8 * 365 * 100000))"
row "the same panel, givsmooth (y, [], 'Criterion', 'reml')" 365 "$panel z = givsmooth (y, [], 'Criterion', 'reml');" "$((2 * 8 * 365 * 100000))"
row "givfact, then givfwd" 1e8 "[Q, R] = givfact (n, sigma); y = givfwd (Q, ones (2*n - 2, 1));" \
    "$(awk -v n=1e8 -v o="$(out 1e8)" 'BEGIN { printf "%.0f", o + 16 * (2 * n - 2) }')"
