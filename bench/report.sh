#!/bin/sh
# report.sh DIR: docs/benchmarks.md from what `make bench` measured in DIR.
set -eu
dir=$1
cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)
mem=$(awk '/MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo)
oct=$(octave-cli --version | head -n 1)
cat <<EOT
# Benchmarks

Measured by \`make bench\` on $(date -u +%Y-%m-%d): $cpu, $(nproc) cores,
$mem, Debian's $oct, sigma = 0.1. Octave calls the oct-files.

## Kernels (Google Benchmark, \`bench/bench_kernels.cpp\`)

Time per step, i.e. per column of A: three rotations generated (\`QR\`) or
applied (\`givfwd\`, \`givinv\`).

| kernel | n | time per call | per step |
|---|---|---|---|
EOT
awk '/^BM_/ { split($1, a, "/"); sub(/^BM_/, "", a[1]); step = $NF; sub(/per_step=/, "", step);
              printf "| %s | %s | %s %s | %s |\n", a[1], a[2], $2, $3, step }' "$dir/kernels.txt"
cat <<EOT

## End to end in Octave (\`bench/bench_octave.m\`), one run

Best of several calls each. A and D*D' + sigma^2*I are built before their
solvers are timed; givfact starts from n alone.

EOT
cat "$dir/octave.md"
cat <<EOT

Below n = 10^6, givfact's time in Octave is mostly first writes to fresh
memory, not arithmetic: glibc hands each call's outputs (about 100 bytes per
step) new pages, and on this virtual machine, which gives freed memory back
to its host, a page fault costs about 10 us (\`perf stat -e page-faults\`
counts 222 a call at n = 10^4, where the kernel needs 0.4 ms). Outputs of
4 MiB and more are advised onto transparent huge pages, one fault per 2 MiB,
which brings givfact at 10^6 and 10^7 near its kernel time. givfwd and
givinv call their kernels at the kernels' own speed.

givsmooth costs what the five lines of its recipe cost (the second table:
one series, then ten series in the columns of a matrix, which share one
factorization, against ten calls).

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
