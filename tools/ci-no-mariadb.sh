#!/usr/bin/env bash
# Builds the library and the test suite without the MariaDB server backend
# (-DVO_WITH_MARIADB=OFF) in build-no-mariadb/ (2 jobs), checks that the
# shared library does not need libmariadb, and runs the tests: the sqlite
# runs only, since such a build has no server backend to run the others on.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-no-mariadb

# Optimised lightly and without debug information: this build is here to show
# what compiles and passes without the backend, and -O1 builds in about half
# the time of the main build's -O2 -g.
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=None -DCMAKE_CXX_FLAGS=-O1 -DVO_WITH_MARIADB=OFF -DVO_BUILD_BENCHMARKS=OFF
cmake --build "$build" -j2

needed=$(readelf -d "$build"/libvoservices.so.? | grep NEEDED)
if grep -q libmariadb <<<"$needed"; then
  echo "ci-no-mariadb.sh: libvoservices.so needs libmariadb in a build without it:" >&2
  echo "$needed" >&2
  exit 1
fi

log=$(mktemp)
trap 'rm -f "$log"' EXIT
ctest --test-dir "$build" --output-on-failure -j2 2>&1 | tee "$log"
# A case on the server backend here would have run on SQLite under its name.
if grep -qE 'Test +#[0-9]+: [^ ]*/mariadb ' "$log"; then
  echo "ci-no-mariadb.sh: tests named /mariadb ran in a build without the server backend" >&2
  exit 1
fi
