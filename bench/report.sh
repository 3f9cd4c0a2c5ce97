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

![time against n](bench.png)

## Peak memory (\`bench/memory.sh\`), each in an Octave of its own

EOT
cat "$dir/memory.md"
