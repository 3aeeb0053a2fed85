#!/usr/bin/env bash
# Times imports into one MariaDB database from several writers at once: one
# import of LINES native lines alone, then WRITERS imports of the same file
# into WRITERS accounts at the same moment, each its own vo process. Prints
# the seconds and lines per second of both, the aggregate rate, and whether
# every account holds every row the lone import stored.
#   tools/bench/concurrent-imports.sh BUILD SOCKET [WRITERS] [LINES]
# SOCKET is the server's unix socket (tools/mariadb-test-server.sh prints it
# in VO_TEST_MARIADB); the user is root, as on the test server.
set -euo pipefail
build=$1 socket=$2 writers=${3:-8} lines=${4:-100000}
vo=$build/src/cli/vo
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$build/tools/bench/vo-bench-import" --format native --lines "$lines" --keep "$work" >/dev/null
file=$work/native-$lines.csv
head -2 "$file" >"$work/one-line.csv"

sql() { mariadb --socket="$socket" -u root -N -e "$1"; }
url() { echo "mariadb://root@/$1?socket=$socket"; }
now() { date +%s.%N; }

# A fresh database whose tables exist before the timed imports start.
fresh() {
  sql "DROP DATABASE IF EXISTS $1; CREATE DATABASE $1 CHARACTER SET utf8mb4"
  "$vo" import --db "$(url "$1")" --quiet --log-dir "$work" --account-id 0 --account-name setup "$work/one-line.csv"
}

fresh vo_bench_alone
start=$(now)
"$vo" import --db "$(url vo_bench_alone)" --quiet --log-dir "$work" --account-id 1 --account-name a1 "$file"
alone=$(echo "$(now) - $start" | bc -l)
expected=$(sql "SELECT COUNT(*) FROM vo_bench_alone.trans_table WHERE acct_id = '1'")

fresh vo_bench_together
pids=()
start=$(now)
for account in $(seq 1 "$writers"); do
  "$vo" import --db "$(url vo_bench_together)" --quiet --log-dir "$work" --account-id "$account" \
    --account-name "a$account" "$file" &
  pids+=($!)
done
failed=0
for pid in "${pids[@]}"; do wait "$pid" || failed=$((failed + 1)); done
together=$(echo "$(now) - $start" | bc -l)

complete=$(sql "SELECT COUNT(*) FROM (SELECT acct_id FROM vo_bench_together.trans_table WHERE acct_id <> '0'
                GROUP BY acct_id HAVING COUNT(*) = $expected) full")
printf 'one import alone:   %7.2f s  %8.0f lines/s\n' "$alone" "$(echo "$lines / $alone" | bc -l)"
printf '%d imports at once: %7.2f s  %8.0f lines/s together, %6.0f each\n' "$writers" "$together" \
  "$(echo "$writers * $lines / $together" | bc -l)" "$(echo "$lines / $together" | bc -l)"
echo "accounts holding all $expected rows: $complete of $writers; imports failed: $failed"
sql "DROP DATABASE vo_bench_alone; DROP DATABASE vo_bench_together"
[ "$complete" = "$writers" ] && [ "$failed" = 0 ]
