#!/usr/bin/env bash
# Installs the built tree into a temporary prefix and builds two programs
# against it as outsiders would: C++ with find_package(voservices 0.2), C with
# pkg-config. Both import the native sample into a fresh database. Also checks
# that the installed library is versioned and exports only its interface, and
# that the installed vo runs on it.
#   consumer_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(realpath "$1")
source=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

cmake --install "$build" --prefix "$prefix" >/dev/null
library=$(find "$prefix" -name 'libvoservices.so.0.2.0')
libdir=$(dirname "$library")

soname=$(readelf -d "$library" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
[[ $soname == libvoservices.so.0 ]] || { echo "SONAME is '$soname'" >&2; exit 1; }
# Only VoServices:: functions, the C API and the version node.
unexpected=$(nm -D --defined-only "$library" | c++filt |
  grep -v -E ' (VoServices::[A-Za-z]+(\[abi:cxx11\])?\(|vo_[a-z_]+@@VOSERVICES_0$|VOSERVICES_0$)' || true)
[[ -z $unexpected ]] || { echo "exported beyond the interface:" >&2; echo "$unexpected" >&2; exit 1; }
# Every function the installed headers declare is exported.
exported=$(nm -D --defined-only "$library" | c++filt)
for name in $(cat "$prefix"/include/voservices/*.h | tr '\n' ' ' |
              grep -oE 'VOSERVICES_API [^;{]*[ *&]([A-Za-z_][A-Za-z0-9_]*)\(' | sed -E 's/.*[ *&]([A-Za-z_0-9]+)\($/\1/' | sort -u)
do
  grep -qE "(VoServices::$name(\[abi:cxx11\])?\(| $name@@VOSERVICES_0$)" <<<"$exported" || { echo "declared, not exported: $name" >&2; exit 1; }
done
[[ ! -e $prefix/include/ledgerdb && -f $prefix/include/voservices/voservices.h ]] ||
  { echo "installed headers are not the public ones" >&2; exit 1; }

# The installed vo finds the installed library on its own.
"$prefix/bin/vo" layouts >/dev/null ||
  { echo "the installed vo does not run" >&2; exit 1; }

samples=$source/samples
export LD_LIBRARY_PATH=$libdir

cmake -S "$source/tests/consumer" -B "$work/cxx" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/cxx" >/dev/null
"$work/cxx/consumer" "$work/cxx.sqlite3" "$samples/native.csv" "$work/"

export PKG_CONFIG_PATH=$libdir/pkgconfig
[[ $(pkg-config --modversion voservices) == 0.2.0 ]]
cc -std=c99 -Wall -Werror -o "$work/c-consumer" "$source/tests/consumer/consumer.c" \
  $(pkg-config --cflags --libs voservices)
"$work/c-consumer" "$work/c.sqlite3" "$samples/native.csv" "$work/"
