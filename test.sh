#!/usr/bin/env bash
# Sets up, builds (plain, with AddressSanitizer + UndefinedBehaviorSanitizer, and the fuzz targets)
# and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh release sanitize fuzz

# One CTest run over both builds, so that one summary line counts every test.
mkdir -p build-all
cat > build-all/CTestTestfile.cmake <<CTEST
subdirs("$PWD/build")
subdirs("$PWD/build-sanitize")
subdirs("$PWD/build-fuzz")
CTEST
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build-all --output-on-failure -j "$(nproc 2>/dev/null || echo 2)"
