#!/bin/sh
# Extraction benchmark (not a test): builds an optimised unzip-bench, generates a payload like the
# product's parts library (17 packages, ~100 MB, thousands of small files and a few large ones)
# into a temporary folder, and times our extractor against Info-ZIP's unzip extracting it into
# tmpfs (/dev/shm). Nothing generated is kept.
#
#   bench/unzip/bench-extract.sh [RUNS]     installs what it needs (scripts/deps.sh)
set -eu
runs=${1:-5}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build="$root/build/bench"
shm=${BENCH_TMPFS:-/dev/shm}

"$root/scripts/deps.sh" python3
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build "$build" -j 2 --target unzip-bench > /dev/null

payload=$(mktemp -d)
scratch=$(mktemp -d "$shm/unzip-bench-XXXXXX")
trap 'rm -rf "$payload" "$scratch"' EXIT INT TERM
echo "generating the payload ..."
python3 "$here/make-payload.py" "$payload"
python3 "$here/compare.py" "$build/unzip-bench" "$payload" "$scratch" "$runs"
