#!/bin/bash
# Benchmark (not a test): PatchAcadMenu rewriting a 10 MB CR LF menu file whose ***TOOLBARS
# heading stands near its end, against GNU sed inserting the same four lines after the heading
# into a new file, both on tmpfs. Prints both medians and their ratio (goal: at most 1).
#   bench/cad/bench-menu.sh [ROUNDS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
rounds=${1:-7}
build=$root/build/bench-cad
work=$(mktemp -d /dev/shm/tolvek-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT

"$root/scripts/deps.sh"
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 >/dev/null

# 10 MB of menu lines in CR LF, the toolbar heading at about 95 %, help strings after it.
awk 'BEGIN {
  ORS = "\r\n"; size = 0; n = 0
  print "***MENUGROUP=ACAD"
  while (size < 10 * 1024 * 1024) {
    line = sprintf("ID_Item%07d  [_Button(\"Item %d\", \"ICON_16_ITEM\", \"ICON_24_ITEM\")]^C^C_item%d", n, n, n)
    print line; size += length(line) + 2; n++
    if (n == 120000) print "***TOOLBARS"
  }
  print "***HELPSTRINGS"
  print "ID_Item0000000  [Item 0]"
}' > "$work/menu.src"
printf '%s\r\n' '**TOLVEK' \
  'ID_Tolvek      [_Toolbar("Tolvek", _Top, _Show, 2, 1, 1)]' \
  'ID_tolvekppos  [_Button("Posiziona elemento Tolvek", "TKIcon1.bmp", "ICON_24_BLANK")]^C^C^Ctolvek' \
  'ID_tolvekrun   [_Button("Libreria parametrica Tolvek", "TKIcon2.bmp", "ICON_25_BLANK")]^C^C^Cruntolvek' \
  > "$work/block.txt"
# sed only inserts the toolbar: the help-string heading must not occur for the outputs to agree.
sed -i 's/^\*\*\*HELPSTRINGS\r$/***HELP\r/' "$work/menu.src"

"$build/bench-menu" "$work" "$rounds"
