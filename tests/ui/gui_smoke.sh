#!/usr/bin/env bash
# Smoke test of the desktop program: starts tav-explorer under a virtual X server on a copy of the
# sample in a temporary working folder; the program saves a picture of its window once the load
# has been shown (TAV_SCREENSHOT), a second one after an entropy-gain run, a third with the rules
# sorted by a heading, one of the Findings tab after a run, one of the threshold sweep window and
# the report as PDF, and ends; the script renders the report's first page (pdftoppm). No picture
# may be blank. They stay at SHOT and at SHOT with "-gains", "-sorted", "-findings", "-sweep" and
# "-report" before its extension.
# Usage: gui_smoke.sh TAV_EXPLORER SCREENSHOT_CHECK SAMPLE SHOT
set -euo pipefail
explorer=$1 check=$2 sample=$3 shot=$4

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$sample" "$work/"
name=$(basename "$sample")
gains="${shot%.png}-gains.png"
sorted="${shot%.png}-sorted.png"
findings="${shot%.png}-findings.png"
sweep="${shot%.png}-sweep.png"
report="${shot%.png}-report"
rm -f "$shot" "$gains" "$sorted" "$findings" "$sweep" "$report.pdf" "$report.png"
mkdir -p "$(dirname "$shot")"

cd "$work"
# The recent files go into the temporary folder, not the user's settings.
export XDG_CONFIG_HOME="$work/config"
TAV_SCREENSHOT="$shot" timeout 120 xvfb-run -a -s "-screen 0 1280x800x24" \
    "$explorer" "$name" </dev/null
test -s "$shot" || { echo "no screenshot written" >&2; exit 1; }
test -s "$gains" || { echo "no screenshot after the entropy-gain run" >&2; exit 1; }
test -s "$sorted" || { echo "no screenshot of the rules sorted by a heading" >&2; exit 1; }
test -s "$findings" || { echo "no screenshot of the Findings tab" >&2; exit 1; }
test -s "$sweep" || { echo "no screenshot of the threshold sweep" >&2; exit 1; }
test -s "$report.pdf" || { echo "no PDF report written" >&2; exit 1; }
pdftoppm -png -r 60 -f 1 -l 1 -singlefile "$report.pdf" "$report"
test -s "$report.png" || { echo "the report's first page could not be rendered" >&2; exit 1; }
# The load wrote its summary beside the copy and the global report in the working folder.
test -s "${name%.*}.REP" || { echo "no summary report beside the data file" >&2; exit 1; }
test -e TavGlobalRep.txt || { echo "no global report in the working folder" >&2; exit 1; }
QT_QPA_PLATFORM=offscreen "$check" "$shot"
QT_QPA_PLATFORM=offscreen "$check" "$gains"
QT_QPA_PLATFORM=offscreen "$check" "$sorted"
QT_QPA_PLATFORM=offscreen "$check" "$findings"
QT_QPA_PLATFORM=offscreen "$check" "$sweep"
QT_QPA_PLATFORM=offscreen "$check" "$report.png"
