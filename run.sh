#!/usr/bin/env bash
# Sets up, builds and runs Tav Explorer on a copy of the bundled sample data file.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh release

# The program writes files beside its input, so it works on a copy in a temporary folder.
work=$(mktemp -d)
cp examples/credit.CSV "$work/"
report=$(build/batch/tav-batch summary "$work/credit.CSV")
echo "Summary report: $report"
head -n 16 "$report" | iconv -f WINDOWS-1250 -t UTF-8
