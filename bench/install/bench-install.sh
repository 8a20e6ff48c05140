#!/usr/bin/env bash
# Usage: bench/install/bench-install.sh [SCALE] [RUNS]   (defaults: 24, i.e. about 90 MB in some
#        5000 files, and 9 runs: two runs of one installer differ by up to a sixth, so a median
#        of fewer rounds cannot tell a few per cent)
# The whole installation of a large medium under Wine, our INSTALL.EXE against an NSIS installer
# (Debian's nsis, zlib compression) of the same files into the same places, in one Wine session;
# the destination C:\Tolvek4 is on tmpfs so that the disk does not decide (the whole Wine prefix is,
# for the run: a link or a mount point there would be refused by the installer). Then
# the extractors alone: INSTALL.DLL, INSTALL.DLL one-threaded, and a minimal one-threaded zlib
# extractor, on the installer's package table. Prints each round, and the ratios of each round with
# their median and range: ours / NSIS (goal <= 0.45), ours one-threaded / NSIS, the installer's
# extraction of the package table (read from its log) over INSTALL.DLL alone on the same packages
# in the same round (goal <= 1.05), the whole installation over INSTALL.DLL alone (the AutoCAD
# wiring, the boxes and the start besides), and INSTALL.DLL / minimal (goal <= 0.7).
# BENCH_WINEPREFIX picks a Wine prefix of its own, used where it lies (C:\Tolvek4 then is on that
# disk); by default one is made on /dev/shm for the run and removed after it.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
scale=${1:-24}
runs=${2:-9}
cd "$root"
# The build's packages, and Debian's NSIS for the installer compared against.
scripts/deps.sh nsis

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
# The installer refuses a destination that is, or is reached through, a link or a mount point, so
# C:\Tolvek4 is put on tmpfs by putting the whole prefix there.
bench_prefix=""
if [ -z "${BENCH_WINEPREFIX:-}" ]; then
  bench_prefix=$(mktemp -d /dev/shm/tolvek-bench-prefix.XXXXXX)
  BENCH_WINEPREFIX=$bench_prefix
fi
export WINEPREFIX="$BENCH_WINEPREFIX"
start_wine
drive_c="$WINEPREFIX/drive_c"
cleanup_bench() {
  rm -rf "$drive_c/Tolvek4" "$drive_c/tolvek-bench" "$drive_c/Programmi/Autocad 2006"
  wine_cleanup
  if [ -n "$bench_prefix" ]; then rm -rf "$bench_prefix"; fi
}
trap cleanup_bench EXIT
rm -rf "$drive_c/Tolvek4" "$drive_c/tolvek-bench"
mkdir "$drive_c/Tolvek4"
mkdir -p "$drive_c/tolvek-bench" "$drive_c/Programmi/Autocad 2006/support"
cp -r "$data/medium" "$drive_c/tolvek-bench/medium"
cp "$data/tolvek-nsis.exe" "$drive_c/tolvek-bench/"
printf '***TOOLBARS\r\n***HELPSTRINGS\r\n' >"$drive_c/Programmi/Autocad 2006/support/acad.mns"
printf ';;;===== AutoLoad LISP Applications =====\r\n' \
  >"$drive_c/Programmi/Autocad 2006/support/acadr14.lsp"

# The rounds stay in the data folder for a later look.
install_log="$data/install.log"
unzip_log="$data/unzip.log"
echo "Whole installation, in turn: ours, ours with INSTALL.DLL one-threaded, NSIS; then" \
  "INSTALL.DLL alone on the package table:"
wine build/bench-install/bench-install-driver.exe 'C:\tolvek-bench\medium' \
  'C:\tolvek-bench\tolvek-nsis.exe' "$runs" | tee "$install_log"
# The extractors alone on the same packages, with a callback that does nothing: INSTALL.DLL, the
# DLL one-threaded and the minimal extractor, the floor of doing one file after another.
echo "Extractors alone, no-op callback, in turn: INSTALL.DLL, INSTALL.DLL one-threaded, minimal:"
wine build/bench-install/bench-unzip-driver.exe 'C:\tolvek-bench\medium' 'C:\Tolvek4\alone' \
  "$runs" none dll dll:0 minimal | tee "$unzip_log"

echo
echo "Summary ($runs rounds each; ratios are medians of each round's ratio, with their range):"
grep '^ratio' "$install_log" | tr -d '\r'
grep '^ratio' "$unzip_log" | tr -d '\r' | sed 's/dll:0/INSTALL.DLL one-threaded/; s/ratio dll /ratio INSTALL.DLL /; s/$/ (goal for INSTALL.DLL <= 0.70)/'
