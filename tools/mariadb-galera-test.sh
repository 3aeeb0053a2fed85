#!/usr/bin/env bash
# A private three-node MariaDB Galera cluster for the tests, on loopback: each
# node its own data directory, unix socket and ports in one temporary folder,
# run as the mysql user (the nodes that join copy the first node's data with
# rsync). Tuned for throw-away data: never use these settings for a real ledger.
#   eval "$(tools/mariadb-galera-test.sh start)"  # exports VO_TEST_GALERA (three URLs) and VO_TEST_GALERA_DIR
#   tools/mariadb-galera-test.sh kill DIR N       # SIGKILL node N (1 to 3)
#   tools/mariadb-galera-test.sh rejoin DIR N     # start node N again; it rejoins the cluster
#   tools/mariadb-galera-test.sh stop DIR
set -euo pipefail

readonly NODES=3
readonly PROVIDER=/usr/lib/galera/libgalera_smm.so

# A TCP port on loopback that nothing listens on.
free_port() {
  local port
  while :; do
    port=$((20000 + RANDOM % 20000))
    if ! ss -Hltn "sport = :$port" | grep -q .; then
      echo "$port"
      return
    fi
  done
}

node_dir() { echo "$1/node$2"; }

# The node's configuration: its own ports for client, group communication,
# incremental and full state transfer; the others' group ports to join.
write_config() {
  local dir=$1 n=$2 members=$3
  local node
  node=$(node_dir "$dir" "$n")
  local gport ist sst port
  read -r port gport ist sst <"$node/ports"
  cat >"$node/my.cnf" <<EOF
[mariadbd]
user=mysql
datadir=$node/data
socket=$node/mysqld.sock
pid-file=$node/mariadbd.pid
log-error=$node/error.log
bind-address=127.0.0.1
port=$port
skip-log-bin
binlog_format=ROW
default_storage_engine=InnoDB
innodb_autoinc_lock_mode=2
innodb_flush_log_at_trx_commit=0
innodb_doublewrite=0
innodb_buffer_pool_size=64M
innodb_log_file_size=32M
character-set-server=utf8mb4
wsrep_on=ON
wsrep_provider=$PROVIDER
wsrep_cluster_name=vo_test_$(basename "$dir")
wsrep_cluster_address=gcomm://$members
wsrep_node_name=node$n
wsrep_node_address=127.0.0.1:$gport
wsrep_provider_options="gmcast.listen_addr=tcp://127.0.0.1:$gport;ist.recv_addr=127.0.0.1:$ist;evs.suspect_timeout=PT3S;evs.inactive_timeout=PT6S;evs.install_timeout=PT6S"
wsrep_sst_method=rsync
wsrep_sst_receive_address=127.0.0.1:$sst
EOF
}

members() {
  local dir=$1 list="" n port gport ist sst
  for n in $(seq 1 "$NODES"); do
    read -r port gport ist sst <"$(node_dir "$dir" "$n")/ports"
    list+="${list:+,}127.0.0.1:$gport"
  done
  echo "$list"
}

wait_synced() {
  local node=$1
  for _ in $(seq 1 600); do
    if [[ $(mariadb --no-defaults --socket="$node/mysqld.sock" -uroot -N -e \
      "SELECT variable_value FROM information_schema.global_status WHERE variable_name = 'wsrep_local_state_comment'" \
      2>/dev/null) == Synced ]]; then
      return 0
    fi
    sleep 0.2
  done
  echo "node in $node did not reach Synced:" >&2
  tail -n 30 "$node/error.log" >&2 || true
  return 1
}

start_node() {
  local dir=$1 n=$2 bootstrap=${3:-}
  local node
  node=$(node_dir "$dir" "$n")
  rm -f "$node/mariadbd.pid"
  mariadbd --defaults-file="$node/my.cnf" $bootstrap >/dev/null 2>&1 &
  wait_synced "$node"
}

start() {
  [[ -e $PROVIDER ]] || { echo "galera-4 is not installed ($PROVIDER)" >&2; return 1; }
  local dir n node
  dir=$(mktemp -d "${TMPDIR:-/tmp}/vo-galera.XXXXXX")
  chmod 755 "$dir"
  for n in $(seq 1 "$NODES"); do
    node=$(node_dir "$dir" "$n")
    mkdir -p "$node/data"  # a joiner's stays empty until the first node's data arrives
    echo "$(free_port) $(free_port) $(free_port) $(free_port)" >"$node/ports"
  done
  local list
  list=$(members "$dir")
  for n in $(seq 1 "$NODES"); do write_config "$dir" "$n" "$list"; done
  node=$(node_dir "$dir" 1)
  mariadb-install-db --no-defaults --datadir="$node/data" --user=mysql --skip-test-db \
    --auth-root-authentication-method=socket >"$dir/install.log" 2>&1 ||
    { cat "$dir/install.log" >&2; rm -rf "$dir"; return 1; }
  chown -R mysql:mysql "$dir"
  local urls=""
  for n in $(seq 1 "$NODES"); do
    if ! start_node "$dir" "$n" "$([[ $n == 1 ]] && echo --wsrep-new-cluster)"; then
      stop "$dir"
      return 1
    fi
    urls+="${urls:+ }mariadb://root@/vo_test?socket=$(node_dir "$dir" "$n")/mysqld.sock"
  done
  echo "export VO_TEST_GALERA='$urls'"
  echo "export VO_TEST_GALERA_DIR='$dir'"
}

check_dir() {
  [[ -d "$1" && "$1" == *vo-galera.* ]] || { echo "not a test cluster folder: $1" >&2; return 1; }
}

kill_node() {
  local pidfile
  pidfile="$(node_dir "$1" "$2")/mariadbd.pid"
  [[ -f $pidfile ]] || return 0
  kill -KILL "$(cat "$pidfile")" 2>/dev/null || true
  rm -f "$pidfile"
}

stop() {
  local dir=$1 n pid
  check_dir "$dir"
  for n in $(seq "$NODES" -1 1); do
    local pidfile
    pidfile="$(node_dir "$dir" "$n")/mariadbd.pid"
    [[ -f $pidfile ]] || continue
    pid=$(cat "$pidfile")
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 1 150); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$pid" 2>/dev/null || true
  done
  rm -rf "$dir"
}

case "${1:-}" in
  start) start ;;
  stop) stop "${2:?usage: $0 stop DIR}" ;;
  kill) check_dir "${2:-}" && kill_node "$2" "${3:?usage: $0 kill DIR N}" ;;
  rejoin) check_dir "${2:-}" && start_node "$2" "${3:?usage: $0 rejoin DIR N}" ;;
  *) echo "usage: $0 start | stop DIR | kill DIR N | rejoin DIR N" >&2; exit 2 ;;
esac
