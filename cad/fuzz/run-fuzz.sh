#!/bin/sh
# Builds the rewrite's fuzz target with clang into build/fuzz/cad and runs it for a bounded time:
# run-fuzz.sh [SECONDS] (default 60). New inputs go to build/fuzz/cad/corpus, findings to
# build/fuzz/cad/crashes; the committed seeds in tests/cad/fuzz/corpus are only read.
set -eu
seconds=${1:-60}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build="$root/build/fuzz/cad"

generator="Unix Makefiles"
command -v ninja > /dev/null && generator=Ninja
[ -f "$build/CMakeCache.txt" ] && generator=$(sed -n 's/^CMAKE_GENERATOR:INTERNAL=//p' "$build/CMakeCache.txt")
CC=${CC:-clang} CXX=${CXX:-clang++} cmake -S "$here" -B "$build" -G "$generator" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build "$build" -j 2 --target rewrite-fuzz

mkdir -p "$build/corpus" "$build/crashes"
"$build/rewrite-fuzz" -max_total_time="$seconds" -max_len=4096 -timeout=20 -rss_limit_mb=2048 \
  -artifact_prefix="$build/crashes/" -print_final_stats=1 -dict="$here/rewrite.dict" \
  "$build/corpus" "$root/tests/cad/fuzz/corpus"
