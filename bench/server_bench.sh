#!/bin/sh
# A generated table of ROWS rows and FIELDS fields in a PostgreSQL server, explored in the server
# and, for comparison, fetched with COPY and explored in memory (bench/ServerCountTimer.cpp):
#   bench/server_bench.sh [BUILD_DIR] [ROWS] [FIELDS] [URI]
# Without URI a throw-away cluster is started in a temporary folder and stopped at the end.
# The class C takes 5 values; every field F1..Fn 5 values, a quarter of them depending on C. At
# the end tav-batch ranks the table in the server as a user runs it.
set -eu
build=${1:-build}
rows=${2:-10000000}
fields=${3:-50}
uri=${4:-}
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d /tmp/tav-server-bench.XXXXXX)
state=$scratch/pg
cleanup() {
    [ -z "${started:-}" ] || sh "$here/../tests/db/pg_cluster.sh" stop "$state"
    rm -rf "$scratch"
}
trap cleanup EXIT
if [ -z "$uri" ]; then
    sh "$here/../tests/db/pg_cluster.sh" start "$state"
    started=1
    uri=$(cat "$state/uri")
fi

expressions="c"
i=1
while [ "$i" -le "$fields" ]; do
    if [ $((i % 4)) -eq 0 ]; then
        # Dependent on the class: its value half the time, else any.
        expressions="$expressions, (CASE WHEN random() < 0.5 THEN c ELSE floor(random() * 5) END)::int2 AS f$i"
    else
        expressions="$expressions, (floor(random() * 5))::int2 AS f$i"
    fi
    i=$((i + 1))
done
start=$(date +%s.%N)
psql -q -X -v ON_ERROR_STOP=1 "$uri" >/dev/null <<SQL
SELECT setseed(0.5);
DROP TABLE IF EXISTS tav_bench;
CREATE TABLE tav_bench AS
  SELECT $expressions FROM (SELECT (floor(random() * 5))::int2 AS c
                            FROM generate_series(1, $rows)) AS classes;
ANALYZE tav_bench;
SQL
end=$(date +%s.%N)
echo "table of $rows rows x $((fields + 1)) columns made in $(awk "BEGIN { printf \"%.1f\", $end - $start }") s"
"$build/bench/tav_bench_server" "$uri" tav_bench C "$scratch" "F1 < 3" "F4 = 2 and F5 <> 0"

# The same as a user runs it: tav-batch describes the table in the server and ranks its rules
# from the server's counts, the whole table and one context.
for context in "" "F1 < 3"; do
    start=$(date +%s.%N)
    "$build/batch/tav-batch" rank --db "$uri" --table tav_bench --class C \
        ${context:+--context "$context"} >/dev/null
    end=$(date +%s.%N)
    echo "tav-batch rank --db, context \"$context\": $(awk "BEGIN { printf \"%.1f\", $end - $start }") s"
done
