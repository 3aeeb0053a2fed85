#!/usr/bin/env bash
# Builds vo, imports the native sample into a fresh embedded database and
# prints what was stored: the trades in date order, the symbols, the run.
set -euo pipefail
cd "$(dirname "$0")/.."
echo "== Building vo (a few minutes the first time)"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target vo | grep --line-buffered -E '^\[ *[0-9]+%\] (Building|Linking)' || true
test -x build/src/cli/vo
mkdir -p demo
rm -f demo/vo_db.sqlite3*
vo() { build/src/cli/vo --db demo/vo_db.sqlite3 "$@"; }
echo "== Importing samples/native.csv"
vo import samples/native.csv --account-id 1 --account-name Demo --log-dir demo
echo "== Trades"
vo show --columns trans_id,trans_dttrade,trans_action,sym_name,trans_qty,trans_unitprice,trans_commission,trans_total
echo "== Symbols"
vo show --table sym_table --columns sym_name,sym_type,sym_desc
echo "== The import run"
vo runs
