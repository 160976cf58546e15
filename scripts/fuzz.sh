#!/usr/bin/env bash
# Runs one fuzz target for a given time: scripts/fuzz.sh TARGET SECONDS [libFuzzer options...]
# TARGET is one of data_file, expression, readable_filter, filterx, xml_table, eval_run, import,
# workbook, xls, readstat. New inputs collect in
# build-fuzz/fuzz/work_TARGET/new, crashing inputs in build-fuzz/fuzz/work_TARGET/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -lt 2 ]; then
    echo "usage: scripts/fuzz.sh TARGET SECONDS [libFuzzer options...]" >&2
    exit 2
fi
target=$1 seconds=$2
shift 2
if [ ! -d "fuzz/corpus/$target" ]; then
    echo "unknown fuzz target: $target (one of: $(ls fuzz/corpus | tr '\n' ' '))" >&2
    exit 2
fi
if [ ! -x "build-fuzz/fuzz/fuzz_$target" ]; then
    scripts/setup.sh fuzz
fi
work="build-fuzz/fuzz/work_$target"
mkdir -p "$work/new" "$work/artifacts"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
common=(-timeout=20 -rss_limit_mb=2560 -artifact_prefix="$work/artifacts/")
# The inputs that once broke the target run once, whole; the mutations start from the seeds only,
# no longer than fuzz/CMakeLists.txt's MAX_LEN of the target (a later -max_len=N overrides it).
if [ -d "fuzz/regressions/$target" ]; then
    "build-fuzz/fuzz/fuzz_$target" "${common[@]}" -runs=0 "fuzz/regressions/$target"
fi
max_len=4096
case "$target" in import | workbook | xls | readstat) max_len=16384 ;; esac
exec "build-fuzz/fuzz/fuzz_$target" -max_total_time="$seconds" "${common[@]}" -max_len=$max_len \
    -print_final_stats=1 "$@" "$work/new" "fuzz/corpus/$target"
