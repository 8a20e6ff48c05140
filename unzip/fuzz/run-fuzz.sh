#!/bin/sh
# Builds the archive reader's fuzz target with clang into build/fuzz/unzip and runs it for a bounded
# time: run-fuzz.sh [SECONDS] (default 60). New inputs go to build/fuzz/unzip/corpus, findings to
# build/fuzz/unzip/crashes; the committed seeds in tests/unzip/fuzz/corpus are only read.
set -eu
seconds=${1:-60}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build="$root/build/fuzz/unzip"

generator="Unix Makefiles"
command -v ninja > /dev/null && generator=Ninja
[ -f "$build/CMakeCache.txt" ] && generator=$(sed -n 's/^CMAKE_GENERATOR:INTERNAL=//p' "$build/CMakeCache.txt")
CC=${CC:-clang} CXX=${CXX:-clang++} cmake -S "$here" -B "$build" -G "$generator" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build "$build" -j 2 --target unzip-fuzz

mkdir -p "$build/corpus" "$build/crashes"
"$build/unzip-fuzz" -max_total_time="$seconds" -max_len=65536 -timeout=20 -rss_limit_mb=2048 \
  -artifact_prefix="$build/crashes/" -print_final_stats=1 -dict="$here/zip.dict" \
  "$build/corpus" "$root/tests/unzip/fuzz/corpus"
