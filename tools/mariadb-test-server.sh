#!/usr/bin/env bash
# A private MariaDB server for the tests: its own data directory in a
# temporary folder, a unix socket, no TCP port. Tuned for throw-away data
# (no binary log, no flush at each commit): never use these settings for a
# real ledger.
#   eval "$(tools/mariadb-test-server.sh start)"   # exports VO_TEST_MARIADB and VO_TEST_MARIADB_DIR
#   tools/mariadb-test-server.sh stop "$VO_TEST_MARIADB_DIR"
# The tests make a database of their own per test on this server, named from
# the database in VO_TEST_MARIADB.
set -euo pipefail

start() {
  local dir
  dir=$(mktemp -d "${TMPDIR:-/tmp}/vo-mariadb.XXXXXX")
  local socket="$dir/mysqld.sock"
  mariadb-install-db --no-defaults --datadir="$dir/data" --user=root --skip-test-db \
    --auth-root-authentication-method=socket >"$dir/install.log" 2>&1 ||
    { cat "$dir/install.log" >&2; rm -rf "$dir"; return 1; }
  mariadbd --no-defaults --user=root --datadir="$dir/data" --socket="$socket" \
    --pid-file="$dir/mariadbd.pid" --skip-networking --log-error="$dir/error.log" \
    --skip-log-bin --innodb-flush-log-at-trx-commit=0 --innodb-doublewrite=0 \
    --innodb-buffer-pool-size=128M --innodb-log-file-size=64M \
    --character-set-server=utf8mb4 >/dev/null 2>&1 &
  for _ in $(seq 1 100); do
    if mariadb-admin --no-defaults --socket="$socket" -uroot ping >/dev/null 2>&1; then
      echo "export VO_TEST_MARIADB='mariadb://root@/vo_test?socket=$socket'"
      echo "export VO_TEST_MARIADB_DIR='$dir'"
      return 0
    fi
    sleep 0.2
  done
  echo "mariadbd did not start:" >&2
  cat "$dir/error.log" >&2 || true
  stop "$dir"
  return 1
}

stop() {
  local dir=${1:?usage: $0 stop DIR}
  [[ -d "$dir" && "$dir" == *vo-mariadb.* ]] || { echo "not a test server folder: $dir" >&2; return 1; }
  if [[ -f "$dir/mariadbd.pid" ]]; then
    local pid
    pid=$(cat "$dir/mariadbd.pid")
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  fi
  rm -rf "$dir"
}

case "${1:-}" in
  start) start ;;
  stop) stop "${2:-}" ;;
  *) echo "usage: $0 start | stop DIR" >&2; exit 2 ;;
esac
