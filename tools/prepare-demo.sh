#!/usr/bin/env bash
# Usage: tools/prepare-demo.sh [BUILD_DIR]   (default: the repository's build/)
# Builds the native make-demo-product and make-medium (native preset) and writes, under
# BUILD_DIR/demo/:
#   product/   the demo product folder
#   medium/    a one-folder medium: INSTALL.EXE, INSTALL.DLL and the 18 packages; start
#              INSTALL.EXE from here
#   floppies/  the same medium on 1440k disks: disk1/, disk2/, ...
# INSTALL.EXE and INSTALL.DLL are taken from BUILD_DIR/win32, so build the win32 preset first.
# The last line of the output is the one-folder medium's path.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build}")

cd "$root"
if [ ! -f build/native/CMakeCache.txt ]; then cmake --preset native >/dev/null; fi
cmake --build --preset native --target make-medium make-demo-product >/dev/null

tools="$root/build/native/tools"
demo="$build/demo"
rm -rf "$demo"
mkdir -p "$demo"
"$tools/make-demo-product" "$demo/product"
"$tools/make-medium" "$demo/product" "$demo/medium" --installer-dir "$build/win32" >"$demo/medium.txt"
"$tools/make-medium" "$demo/product" "$demo/floppies" --installer-dir "$build/win32" \
  --disk-size 1440k >"$demo/floppies.txt"
head -n 1 "$demo/medium.txt"
echo "$demo/medium"
