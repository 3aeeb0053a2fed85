#!/usr/bin/env bash
# A short fuzzing pass: builds the libFuzzer targets with clang in build-fuzz/
# (ASan + UBSan) and runs each for a bounded time on a temporary copy of its
# seed corpus under fuzz/corpus/, so the committed corpus never changes.
# Fails on any crash, leak, timeout, out-of-memory or sanitizer report; the
# input that caused it is kept in build-fuzz/findings/.
#   FUZZ_SECONDS   seconds per target (default 60; the whole import, at about a
#                  hundredth of the others' speed, gets twice as long)
#   FUZZ_TIMEOUT   seconds one input may take before it counts as a hang (default 10)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=build-fuzz
seconds=${FUZZ_SECONDS:-60}
timeout=${FUZZ_TIMEOUT:-10}
targets=(field_text date_time sql_dialect security_master import c_api)
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVO_FUZZ=ON -DVO_BUILD_TESTS=OFF
cmake --build "$build" -j2 --target fuzzers

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
findings="$root/$build/findings"
mkdir -p "$findings"
failed=()
for target in "${targets[@]}"; do
  cp -r "fuzz/corpus/$target" "$work/$target"
  budget=$seconds
  [[ $target == import ]] && budget=$((seconds * 2))
  options=(-max_total_time="$budget" -timeout="$timeout" -rss_limit_mb=2048 -print_final_stats=1
           -artifact_prefix="$findings/$target-")
  [[ -f "fuzz/$target.dict" ]] && options+=(-dict="$root/fuzz/$target.dict")
  echo "== fuzz_$target for ${budget}s"
  if ! (cd "$work" && TMPDIR="$work" "$root/$build/fuzz/fuzz_$target" "${options[@]}" \
          "$work/$target") >"$work/$target.log" 2>&1; then
    failed+=("$target")
    tail -n 60 "$work/$target.log"
  fi
  grep -E '^stat::number_of_executed_units|^Done' "$work/$target.log" || true
done

if ((${#failed[@]})); then
  echo "Fuzzing found problems in: ${failed[*]} (inputs in $findings/)" >&2
  exit 1
fi
echo "Fuzzing found nothing."
