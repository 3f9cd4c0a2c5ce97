#!/bin/sh
# tunables.sh OCTDIR: time per call of givfact and givfwd, repeated, against
# n, in Octave as it comes and in Octave started with GLIBC_TUNABLES that
# keep freed memory for the next call (no trimming, and no mmap below the
# largest threshold glibc allows, 32 MiB).  Prints a Markdown table.
set -eu
dir=$1
keep="glibc.malloc.trim_threshold=4294967296:glibc.malloc.mmap_threshold=33554432"
run() {  # prints one line per n: n givfact-ms givfwd-ms
    env OCTAVE_HISTFILE=/dev/null "$@" octave-cli --norc --quiet --no-window-system --eval "
      addpath ('$dir');
      for n = [1e4 3e4 1e5 3e5 1e6 3e6]
        k = max (10, round (1e7 / n));
        t = zeros (k, 2);
        x = ones (2*n - 2, 1);
        for i = 1:k
          tic; [Q, R] = givfact (n, 0.1); t(i,1) = toc;
          tic; y = givfwd (Q, x); t(i,2) = toc;
          clear Q R y;
        end
        printf ('%g %.4g %.4g\n', n, 1e3 * median (t));
      end"
}
plain=$(run)
kept=$(run GLIBC_TUNABLES=$keep)
echo "| n | givfact, as it comes | givfact, memory kept | givfwd, as it comes | givfwd, memory kept |"
echo "|---|---|---|---|---|"
echo "$plain" | while read -r n f g; do
    set -- $(echo "$kept" | awk -v n="$n" '$1 == n { print $2, $3 }')
    echo "| $n | $f ms | $1 ms | $g ms | $2 ms |"
done
