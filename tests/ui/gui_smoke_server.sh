#!/usr/bin/env bash
# Smoke test of the desktop program on a table counted in a PostgreSQL server: makes a table of
# 200,000 generated loans in the test cluster (pg_cluster.sh), writes a session file that names
# it, starts tav-explorer on that file under a virtual X server and takes the pictures of
# gui_smoke.sh (TAV_SCREENSHOT): the window after the load, after an entropy-gain run, sorted,
# the Findings tab, the threshold sweep and the report's first page. No picture may be blank.
# Without a test server the test is skipped (exit 77).
# Usage: gui_smoke_server.sh TAV_EXPLORER SCREENSHOT_CHECK PG_STATE SHOT
set -euo pipefail
explorer=$1 check=$2 state=$3 shot=$4

if [ ! -s "$state/uri" ]; then
    echo "No PostgreSQL test server: skipped"
    exit 77
fi
uri=$(cat "$state/uri")
table="smoke loans $$"

work=$(mktemp -d)
trap 'rm -rf "$work"; psql -q "$uri" -c "DROP TABLE IF EXISTS \"$table\"" >/dev/null 2>&1 || true' EXIT
shots=("$shot" "${shot%.png}-gains.png" "${shot%.png}-sorted.png" "${shot%.png}-findings.png"
       "${shot%.png}-sweep.png")
report="${shot%.png}-report"
rm -f "${shots[@]}" "$report.pdf" "$report.png"
mkdir -p "$(dirname "$shot")"

# Rejections follow income, age and education, with noise; the id column is left out.
psql -q -v ON_ERROR_STOP=1 "$uri" <<SQL
CREATE TABLE "$table" AS
SELECT g AS id,
       18 + (g * 37) % 60 AS age,
       round((600 + (g * 7919) % 3000 + ((g * 37) % 60) * 20)::numeric, 2)::float8 AS income,
       (ARRAY['north', 'south', 'east', 'west'])[1 + (g * 13) % 4] AS region,
       (ARRAY['primary', 'secondary', 'college', 'university'])[1 + (g * 17 + g / 7) % 4]
           AS education,
       (g * 11) % 5 AS children,
       CASE WHEN (g * 7919) % 3000 + ((g * 37) % 60) * 25 + ((g * 17 + g / 7) % 4) * 300
                 + (g * 31) % 900 > 2400 THEN 'approved' ELSE 'rejected' END AS loan
FROM generate_series(1, 200000) AS g;
SQL

cat > "$work/loans.tavs" <<JSON
{
  "format": "tav-explorer-session",
  "version": 1,
  "source": {"kind": "database", "url": "$uri", "table": "$table", "import": ["--ignore", "ID"]},
  "class": 5,
  "selected": [0, 1, 2, 3, 4],
  "context": {"text": "", "history": [" "]},
  "compare1": {"text": "", "history": []},
  "compare2": {"text": "", "history": []},
  "hidden": [],
  "settings": {"mPrior": 1, "m": 2, "significancePct": 5},
  "activeRule": 0,
  "findings": {"target": null, "minCount": 5, "conditions": 1}
}
JSON

cd "$work"
export XDG_CONFIG_HOME="$work/config"
TAV_SCREENSHOT="$shot" timeout 120 xvfb-run -a -s "-screen 0 1280x800x24" \
    "$explorer" loans.tavs </dev/null
for picture in "${shots[@]}"; do
    test -s "$picture" || { echo "no picture $picture" >&2; exit 1; }
done
test -s "$report.pdf" || { echo "no PDF report written" >&2; exit 1; }
pdftoppm -png -r 60 -f 1 -l 1 -singlefile "$report.pdf" "$report"
for picture in "${shots[@]}" "$report.png"; do
    QT_QPA_PLATFORM=offscreen "$check" "$picture"
done
