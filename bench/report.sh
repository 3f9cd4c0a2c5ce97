#!/bin/sh
# report.sh DIR: docs/benchmarks.md from what `make bench` measured in DIR.
set -eu
dir=$1
cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)
mem=$(awk '/MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo)
oct=$(octave-cli --version | head -n 1)
step() {  # step NAME: the time per step of benchmark NAME, in ns
    awk -v b="$1" '$1 == b { s = $NF; sub(/per_step=/, "", s); sub(/ns$/, "", s); print s }' "$dir/kernels.txt"
}
series() {  # series NAME FILE: the time per series of benchmark NAME in FILE, in us
    awk -v b="$1" '$1 == b { for (i = 1; i <= NF; i++) if ($i ~ /^per_series=/) s = $i; sub(/per_series=/, "", s);
        if (s ~ /us$/) f = 1; else if (s ~ /ms$/) f = 1000; else if (s ~ /ns$/) f = 0.001; else f = 1e6;
        sub(/[mun]?s$/, "", s); printf "%.3g", s * f }' "$dir/$2"
}
lanes=$(awk '$1 ~ /^BM_panel\// { for (i = 1; i <= NF; i++) if ($i ~ /^lanes=/) { sub(/lanes=/, "", $i); print $i; exit } }' \
    "$dir/kernels.txt")
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
cat <<EOT
# Benchmarks

Measured by \`make bench\` on $(date -u +%Y-%m-%d): $cpu, $(nproc) cores,
$mem, Debian's $oct. Octave calls the oct-files.

## Kernels (Google Benchmark, \`bench/bench_kernels.cpp\`)

Time per step, i.e. per column of A: three rotations generated (\`QR\`) or
applied (\`givfwd\`, \`givinv\`); \`QR_plain\` computes every step (as \`QR\`
did before it copied the rows that repeat), \`write_outputs\` only writes
what a step writes (the least a factorization can take); \`givsmooth\` is
its two passes over a series. The second number is n, the third k in
sigma = 10^-k (0: sigma = 0.025, lambda = 1600).

| kernel | n | sigma | time per call | per step |
|---|---|---|---|---|
EOT
awk '/^BM_/ && !/^BM_givsmooth_order/ && !/^BM_panel/ { split($1, a, "/"); sub(/^BM_/, "", a[1]); step = $NF; sub(/per_step=/, "", step);
              printf "| %s | %s | %s | %s %s | %s |\n", a[1], a[2], a[3] == 0 ? "0.025" : "1e-" a[3], $2, $3, step }' \
    "$dir/kernels.txt"
q=$(step BM_QR/1000000/0); p=$(step BM_QR_plain/1000000/0); w=$(step BM_write_outputs/1000000/0)
q8=$(step BM_QR/1000000/8); p8=$(step BM_QR_plain/1000000/8)
q5=$(step BM_QR/100000/8); p5=$(step BM_QR_plain/100000/8)
cat <<EOT

At n = 10^6, sigma = 0.025: QR takes $q ns a step, $(ratio "$q" "$p") of the $p ns of
the loop that computes every step, and $(ratio "$q" "$w") times the $w ns of writing its
outputs alone. At sigma = 1e-8, where the transient is a fifth of the run:
$q8 ns against $p8 ($(ratio "$q8" "$p8")). At n = 10^5, sigma = 1e-8, below the transient,
where no step is saved: $q5 ns against $p5 ($(ratio "$q5" "$p5")).

## Every order of the differences (\`BM_givsmooth_order\`)

The sweep's two passes at n = 10^6, sigma = 0.025, for the order d: at
equal spacing (in the cycle where the rows repeat, from the table below),
with weights that change to the end, and at uneven sample times (spacings
from 0.5 to 1.5), where every step is computed. Ratios in this one run.

| d | equal spacing | / d = 2 | (d+1)/3 | weights changing | uneven t | uneven / weighted |
|---|---|---|---|---|---|---|
EOT
c2=$(step BM_givsmooth_order/1000000/0/2/0/0)
for d in 1 2 3 4; do
    c=$(step BM_givsmooth_order/1000000/0/$d/0/0); w=$(step BM_givsmooth_order/1000000/0/$d/1/0)
    t=$(step BM_givsmooth_order/1000000/0/$d/2/0)
    echo "| $d | $c ns | $(ratio "$c" "$c2") | $(ratio $((d + 1)) 3) | $w ns | $t ns | $(ratio "$t" "$w") |"
done
cat <<EOT

In the cycle each step's chain of dependent operations is two rotations,
the weight rotation and the one that hands the next state on, for every d
up to 3: a smaller d does no less on that chain, so d = 1 costs what d = 2
does; d = 3 and 4 add work beside it. Weighted and at uneven times every
step is computed, d+1 rotations generated in a chain.

Orders 3 and 4, and uneven times at every order, take z from the state
form instead (a filter on the divided differences of z, \`state_smooth\`),
the fifth argument 2; order 2 at equal spacing too where sigma is below
1e-8. Both kernels in this one run, the state form's ratio to the sweep's:

| d | sweep, equal | state, equal | sweep, weighted | state, weighted | sweep, uneven | state, uneven |
|---|---|---|---|---|---|---|
EOT
for d in 1 2 3 4; do
    line="| $d"
    for m in 0 1 2; do
        a=$(step BM_givsmooth_order/1000000/0/$d/$m/0); b=$(step BM_givsmooth_order/1000000/0/$d/$m/2)
        line="$line | $a ns | $b ns ($(ratio "$b" "$a"))"
    done
    echo "$line |"
done
cat <<EOT

At equal spacing without weights both settle into a cycle, the state
form's within at most 64 steps of rotations that repeat, after which it
keeps one double a step for its way back (r's part of the kept row). The
way back's chain of dependent operations from one step's state to the
next is then a product, a difference, two products and a difference at
every d (the product with the newest divided difference taken last, the
reciprocal of each kept row's rho off the chain), and the filter's two
rotations beside it. At small sigma the state form's cycle comes far
sooner than the sweep's, whose transient is long (the table below), so
that there a call costs less than before.

## Panels: many short series in lanes (\`BM_panel\`, \`BM_panel_LDL\`)

k series of n = 365 points, 30% of them NaN at random (clouds), lambda =
1600 given (10^5 series), or chosen by GCV or REML (10^4), time per series,
one thread unless said. Series with a sigma given and weights that vary go
through the sweep K at once, one in each lane; this machine's width is
$lanes, and GIVQR_LANES=4, 2, 1 force fewer (1: none). The peer is
\`bench/LDL_banded.cpp\`: the banded L*diag(p)*L' of the squared system
W + lambda*D'*D that banded-solver tools factor, lambda*D'*D's band formed
once for the panel; it lies from givsmooth's z by the figure shown
(relative to max |y|, the first 100 series). At orders 3 and 4, and at
uneven times, the lanes are the state form's.

| case | LDL' | lanes $lanes | 4 | 2 | none | lanes $lanes / LDL' | none / LDL' |
|---|---|---|---|---|---|---|---|
EOT
ldl_apart=$(awk '$1 == "BM_panel_LDL/365/100000/2" { for (i = 1; i <= NF; i++) if ($i ~ /^from_givsmooth=/) s = $i;
    sub(/from_givsmooth=/, "", s); e = index("afpnum", substr(s, length(s)));      # an SI prefix
    if (e > 0) { s = substr(s, 1, length(s) - 1) * 10 ^ (3 * e - 21) }; printf "%.2g", s }' "$dir/kernels.txt")
for c in "d = 1:1/0/1/0" "d = 2:2/0/1/0" "d = 3:3/0/1/0" "d = 4:4/0/1/0" "d = 2, uneven t:2/2/1/0" \
         "d = 2, 2 threads:2/0/2/0"; do
    name=${c%%:*}; a=${c#*:}; d=${a%%/*}
    p=$(series "BM_panel_LDL/365/100000/$d" kernels.txt); l=$(series "BM_panel/365/100000/$a" kernels.txt)
    l4=$(series "BM_panel/365/100000/$a" lanes4.txt); l2=$(series "BM_panel/365/100000/$a" lanes2.txt)
    l1=$(series "BM_panel/365/100000/$a" lanes1.txt)
    echo "| $name | $p us | $l us | $l4 us | $l2 us | $l1 us | $(ratio "$l" "$p") | $(ratio "$l1" "$p") |"
done
one=$(series "BM_panel/365/100000/2/0/1/0" lanes1.txt)
g=$(series "BM_panel/365/10000/2/0/1/1" kernels.txt); r=$(series "BM_panel/365/10000/2/0/1/2" kernels.txt)
g1=$(series "BM_panel/365/10000/2/0/1/1" lanes1.txt); r1=$(series "BM_panel/365/10000/2/0/1/2" lanes1.txt)
rb=$(series "BM_panel/365/10000/2/0/1/3" kernels.txt); rb1=$(series "BM_panel/365/10000/2/0/1/3" lanes1.txt)
cat <<EOT

The LDL' lies ${ldl_apart} from givsmooth's z at d = 2 (relative to max |y|). With a
choice of lambda (d = 2): GCV $g us a series, $(ratio "$g" "$one") fixed-lambda calls
without lanes ($one us), and $(ratio "$g1" "$one") with no lanes at all ($g1 us); REML
$r us, $(ratio "$r" "$one") calls ($(ratio "$r1" "$one") without lanes, $r1 us). K series'
searches run in lockstep, each value they wait for made for all of them at
once (a series alone runs the steps of its scan over lambda's grid K at a
time instead); each search is run again from its start as its values come,
and so decides, and chooses, to the bit as alone. Their smooths at the
chosen lambdas, and their info where it is asked for, then go through
the same lanes.

Robust fits (lambda = 1600 given, 10^4 series) run K series in lockstep,
each fit of those whose weights have not settled made in the lanes at
once: $rb us a series, against $rb1 us without lanes ($(ratio "$rb1" "$rb") times as
fast); the reweighing between fits is each series' own.

## Where the rows start to repeat (\`bench/transients.cpp\`)

The step from which the state the factorization carries (for d = 2, R(i,i),
R(i+1,i+1) so far and the pending entry; for order d the d(d+1)/2 entries
of rows i..i+d-1 not yet merged) repeats bit for bit, and the period, at
n = 2*10^6, unweighted and at equal spacing, for each order; then the
periods of 300 sigmas.

EOT
cat "$dir/transients.md"
cat <<EOT

Where the rows never repeat within n, or only after a long transient (d = 1
and d = 4 at small sigma, and some sigmas of d = 3), every step is computed,
as with weights. Why period 2 at small sigma for d = 2: rotg leaves r with
the sign of a where |a| > |b|
and of -b otherwise. Past the transient the diagonal so far, |R(i,i)|, is
about 0.55 at sigma = 1 and 0.13 at 0.1. Where it is below sigma (sigma of
about 0.3 and above), the weight rotation gives R(i,i) the sign of -sigma
whatever sign it came with, and the state repeats every row. Where it is
above sigma, the sign carries through, and the carry rotation, where the
pending entry outweighs the diagonal (cosine -(d/w)*s), hands the pending
row on with its signs flipped: (d, e, w) goes to (d, -e, -w), the carry and
stencil cosines alternate in sign, and the state repeats every second row.

## End to end in Octave (\`bench/bench_octave.m\`), one run

Best of several calls each. A and D*D' + sigma^2*I are built before qr and
chol are timed; givfact starts from n alone; the backslash routes of
givsmooth's tables build their sparse matrices inside the timing, as a user
would. "every step computed" is givfact built with \`bench/QR_plain.cpp\`.

EOT
cat "$dir/octave.md"
cat <<EOT
Below n = 10^6, givfact's time in Octave is mostly first writes to fresh
memory, not arithmetic: glibc hands each call's outputs (about 100 bytes per
step) new pages, and on this virtual machine a page fault costs about 10 us.
Outputs of 4 MiB and more are advised onto transparent huge pages, one fault
per 2 MiB, but the system still clears each page before its first write:
at n = 10^6 that clearing and the first writes take most of givfact's time,
which is why it is not as far below the loop that computes every step as
the kernel is.

![time against n](bench.png)

## Repeated calls, and keeping freed memory (\`bench/tunables.sh\`)

Median time per call of a loop of calls, each call's outputs cleared before
the next. glibc gives large freed blocks back to the system, so every call
pays for fresh pages again; an Octave started with

    GLIBC_TUNABLES=glibc.malloc.trim_threshold=4294967296:glibc.malloc.mmap_threshold=33554432

keeps them instead (no trimming; blocks below glibc's largest mmap threshold,
32 MiB, from the heap). The commands themselves do not change the host's
allocator.

EOT
cat "$dir/tunables.md"
cat <<EOT

## Peak memory (\`bench/memory.sh\`), each in an Octave of its own

EOT
cat "$dir/memory.md"
cat <<EOT

A panel's work adds nothing seen at this resolution to y and z: each thread's
lanes take (2d + 4)*n*K doubles for a sigma given (K = 8 lanes: 187 kB at d = 2),
and a chosen sigma's about (d(d+1)/2 + 2d + 8)*n*K (350 kB), whatever the
number of series.
EOT
