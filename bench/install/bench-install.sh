#!/usr/bin/env bash
# Usage: bench/install/bench-install.sh [SCALE] [RUNS]   (defaults: 24, i.e. about 90 MB in some
#        5000 files, and 5 runs)
# The whole installation of a large medium under Wine, our INSTALL.EXE against an NSIS installer
# (Debian's nsis, zlib compression) of the same files into the same places, in one Wine session;
# the destination C:\Tolvek4 is a link to a tmpfs folder so that the disk does not decide. Prints
# each run and the ratio of the medians (goal: ours <= 0.6 of NSIS's time).
# BENCH_WINEPREFIX picks another Wine prefix than the project's (e.g. one no test is using).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
scale=${1:-24}
runs=${2:-5}
cd "$root"
command -v makensis >/dev/null || { echo "makensis not found: apt-get install nsis" >&2; exit 1; }

# BENCH_NATIVE_BUILD / BENCH_WIN32_BUILD: configured build folders to use instead of the presets'.
native=${BENCH_NATIVE_BUILD:-build/native}
win32=${BENCH_WIN32_BUILD:-build/win32}
if [ ! -f "$native/CMakeCache.txt" ]; then cmake --preset native >/dev/null; fi
if [ ! -f "$win32/CMakeCache.txt" ]; then cmake --preset win32 >/dev/null; fi
cmake --build "$native" -j2 --target make-medium make-demo-product >/dev/null
cmake --build "$win32" -j2 --target install_exe unzip_dll >/dev/null
cmake -S bench/install -B build/bench-install \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
cmake --build build/bench-install -j2 >/dev/null

data="$root/build/bench-install/data"
# BENCH_REUSE_DATA=1 keeps the product, medium and NSIS installer of the previous run (same
# SCALE) and only puts the freshly built INSTALL.EXE and INSTALL.DLL onto the medium.
reuse=${BENCH_REUSE_DATA:-0}
if [ "$reuse" = 1 ] && [ -f "$data/tolvek-nsis.exe" ] && [ "$(cat "$data/scale" 2>/dev/null)" = "$scale" ]; then
  cp "$win32/INSTALL.EXE" "$win32/INSTALL.DLL" "$data/medium/"
else
  reuse=0
  rm -rf "$data"
  mkdir -p "$data"
  "$native/tools/make-demo-product" "$data/product" --scale "$scale"
  "$native/tools/make-medium" "$data/product" "$data/medium" --installer-dir "$win32" |
    head -n 1
fi
echo "product: $(du -sh "$data/product" | cut -f1) in $(find "$data/product" -type f | wc -l) files;" \
  "medium: $(du -sh "$data/medium" | cut -f1)"

# The NSIS installer puts every product file where ours does (tools/medium/Packages.h).
acad='C:\Programmi\Autocad 2006'
{
  echo 'Unicode false'
  echo 'SetCompressor zlib'
  echo 'Name "Tolvek"'
  echo "OutFile \"$data/tolvek-nsis.exe\""
  echo 'RequestExecutionLevel user'
  echo 'SilentInstall silent'
  echo 'Section'
  for entry in "$data/product"/*; do
    name=$(basename "$entry")
    lower=$(echo "$name" | tr 'A-Z' 'a-z')
    if [ -f "$entry" ]; then
      echo 'SetOutPath "C:\Tolvek4"'
      echo "File \"$entry\""
    elif [ "$lower" = autocad ]; then
      echo "SetOutPath \"$acad\\support\""
      echo "File \"$entry/*\""
      echo "SetOutPath \"$acad\""
      echo "File \"$entry/tolvek.lsp\""
    elif [ "$lower" = help-acad ]; then
      echo 'SetOutPath "C:\Tolvek4\Help"'
      echo "File /r \"$entry/*\""
    else
      echo "SetOutPath \"C:\\Tolvek4\\$name\""
      echo "File /r \"$entry/*\""
    fi
  done
  echo 'SectionEnd'
} >"$data/tolvek.nsi"
if [ "$reuse" != 1 ]; then makensis -V1 "$data/tolvek.nsi"; fi
echo "$scale" >"$data/scale"
echo "NSIS installer: $(du -sh "$data/tolvek-nsis.exe" | cut -f1)"

source scripts/wine-env.sh
if [ -n "${BENCH_WINEPREFIX:-}" ]; then export WINEPREFIX="$BENCH_WINEPREFIX"; fi
start_wine
drive_c="$WINEPREFIX/drive_c"
shm=$(mktemp -d /dev/shm/tolvek-bench.XXXXXX)
cleanup_bench() {
  rm -f "$drive_c/Tolvek4"
  rm -rf "$shm" "$drive_c/tolvek-bench" "$drive_c/Programmi/Autocad 2006"
  wine_cleanup
}
trap cleanup_bench EXIT
rm -rf "$drive_c/Tolvek4" "$drive_c/tolvek-bench"
ln -s "$shm" "$drive_c/Tolvek4"
mkdir -p "$drive_c/tolvek-bench" "$drive_c/Programmi/Autocad 2006/support"
cp -r "$data/medium" "$drive_c/tolvek-bench/medium"
cp "$data/tolvek-nsis.exe" "$drive_c/tolvek-bench/"
printf '***TOOLBARS\r\n***HELPSTRINGS\r\n' >"$drive_c/Programmi/Autocad 2006/support/acad.mns"
printf ';;;===== AutoLoad LISP Applications =====\r\n' \
  >"$drive_c/Programmi/Autocad 2006/support/acadr14.lsp"

wine build/bench-install/bench-install-driver.exe 'C:\tolvek-bench\medium' \
  'C:\tolvek-bench\tolvek-nsis.exe' "$runs"
# The library alone on the same medium, with a callback that does nothing: what is left of ours
# above this is the installer's window updates.
echo "INSTALL.DLL alone, no-op callback:"
wine build/bench-install/bench-unzip-driver.exe 'C:\tolvek-bench\medium' 'C:\Tolvek4\alone' \
  "$runs" none | tail -n 1
