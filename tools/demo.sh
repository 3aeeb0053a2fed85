#!/usr/bin/env bash
# Builds vo, imports the native sample into a fresh embedded database and
# prints what was stored.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target vo >/dev/null
mkdir -p demo
rm -f demo/vo_db.sqlite3*
build/src/cli/vo --db demo/vo_db.sqlite3 import samples/native.csv \
  --account-id 1 --account-name Demo --log-dir demo
build/src/cli/vo --db demo/vo_db.sqlite3 show
