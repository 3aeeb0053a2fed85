#!/usr/bin/env bash
# Compares the exported ABI of a built libvoservices.so with the one committed
# in abi/: the public functions and every type they take or give, read from
# the library's debug information (a build with -g, such as RelWithDebInfo).
# New functions are fine; anything else that changes, a field added to an
# option or outcome struct included, fails the check until the dump is
# updated on purpose (see docs/ABI.md).
#   abi-check.sh BUILD_DIR            check
#   abi-check.sh BUILD_DIR --update   write the dump anew
set -euo pipefail
cd "$(dirname "$0")/.."
library=$(realpath "$1/libvoservices.so")
dump=abi/libvoservices.so.0.abi
if [[ "${2:-}" == --update ]]; then
  abidw --headers-dir include/voservices --drop-private-types --exported-interfaces-only --no-show-locs \
    --no-comp-dir-path --no-corpus-path --out-file "$dump" "$library"
  echo "abi-check: wrote $dump"
  exit 0
fi
status=0
abidiff --no-added-syms --harmless --exported-interfaces-only "$dump" "$library" || status=$?
if (( status == 0 )); then
  echo "abi-check: the exported ABI is the one in $dump"
  exit 0
fi
if (( status & 3 )); then
  echo "abi-check: abidiff could not compare (status $status)" >&2
else
  echo "abi-check: the exported ABI changed (above); if that is meant, follow docs/ABI.md" >&2
fi
exit 1
