#!/bin/sh
# Whole-process times of the pairs of two conditions for one class value on the generated tables
# W (65,000 x 51) and 1M (1,000,000 x 50), at one thread and at every core:
#   bench/pairs_bench.sh [BUILD_DIR] [SCRATCH_DIR]
# The tables are written once into SCRATCH_DIR (default: a folder under /tmp) and kept there.
set -eu
build=${1:-build}
scratch=${2:-/tmp/tav-pairs-bench}
mkdir -p "$scratch"
for case in W 1M; do
    [ -f "$scratch/$case.csv" ] || "$build/bench/tav_bench_gen" "$case" "$scratch/$case.csv"
    for threads in 1 0; do
        option="--threads $threads" label=$threads
        [ "$threads" != 0 ] || option="" label="every core"
        start=$(date +%s.%N)
        # shellcheck disable=SC2086
        "$build/batch/tav-batch" findings "$scratch/$case.csv" --class 0 --target 1 \
            --conditions 2 $option >"$scratch/$case-$threads.out"
        end=$(date +%s.%N)
        echo "$case, $label: $(awk "BEGIN { printf \"%.2f\", $end - $start }") s," \
            "$(grep -m1 'pairs flagged' "$scratch/$case-$threads.out" | sed 's/^# //')"
    done
done
