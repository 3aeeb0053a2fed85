#!/usr/bin/env bash
# Configures, builds (2 jobs) and runs the whole test suite, on both database
# backends: unless VO_TEST_MARIADB already names a server (as in CI), it starts
# a private MariaDB server for the run (tools/mariadb-test-server.sh) and stops
# it at the end. Without one the mariadb tests are skipped (failed when
# CI=true). Ends with the counts of passed, skipped and failed tests.
set -euo pipefail
cd "$(dirname "$0")/.."
# The benchmarks are built too, so that they keep building; VO_WERROR=ON in
# the environment (as in CI) makes every warning fail the build.
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVO_BUILD_BENCHMARKS=ON -DVO_WERROR="${VO_WERROR:-OFF}"
cmake --build build -j2

if [[ -z "${VO_TEST_MARIADB:-}" ]]; then
  if server=$(bash tools/mariadb-test-server.sh start); then
    eval "$server"
  else
    echo "test.sh: no MariaDB test server could be started: the mariadb tests will be skipped" >&2
  fi
fi

log=$(mktemp)
cleanup() {
  rm -f "$log"
  if [[ -n "${server:-}" ]]; then bash tools/mariadb-test-server.sh stop "$VO_TEST_MARIADB_DIR"; fi
}
trap cleanup EXIT
status=0
ctest --test-dir build --output-on-failure -j2 2>&1 | tee "$log" || status=$?

# ctest's lines end "....   Passed  0.5 sec" or "....***Skipped  0.2 sec";
# whatever ran and neither passed nor was skipped failed.
count() { grep -cE "^ *[0-9]+/[0-9]+ Test +#[0-9]+: .*[. ]$1 +[0-9.]+ sec" "$log" || true; }
passed=$(count Passed)
skipped=$(count '\*\*\*Skipped')
total=$(grep -oE 'out of [0-9]+' "$log" | tail -n 1 | grep -oE '[0-9]+' || echo 0)
echo "test.sh: $passed passed, $skipped skipped, $((total - passed - skipped)) failed"
exit "$status"
