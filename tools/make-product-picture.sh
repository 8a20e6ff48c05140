#!/usr/bin/env bash
# Draws the product picture (429 x 185, 24-bit BMP) and the program icon into assets/.
# A parts-library motif: a gear, a hexagon nut, a bolt and a bearing on a pale blue sheet with a
# drawing grid. Run it once after changing the drawing; the results are committed.
set -euo pipefail
cd "$(dirname "$0")/.."
out=assets
gear() { # cx cy r teeth
  local cx=$1 cy=$2 r=$3 n=$4 pts="" i a x y rr
  for ((i = 0; i < n * 4; i++)); do
    a=$(echo "$i * 3.14159265 * 2 / ($n * 4)" | bc -l)
    case $((i % 4)) in 0 | 1) rr=$r ;; *) rr=$(echo "$r * 0.82" | bc -l) ;; esac
    x=$(echo "$cx + $rr * c($a)" | bc -l); y=$(echo "$cy + $rr * s($a)" | bc -l)
    pts+=$(printf '%.1f,%.1f ' "$x" "$y")
  done
  echo "$pts"
}
hexagon() { # cx cy r
  local cx=$1 cy=$2 r=$3 pts="" i a
  for ((i = 0; i < 6; i++)); do
    a=$(echo "$i * 3.14159265 / 3" | bc -l)
    pts+=$(printf '%.1f,%.1f ' "$(echo "$cx + $r * c($a)" | bc -l)" "$(echo "$cy + $r * s($a)" | bc -l)")
  done
  echo "$pts"
}
grid=""
for ((x = 0; x < 429; x += 16)); do grid+="line $x,0 $x,185 "; done
for ((y = 0; y < 185; y += 16)); do grid+="line 0,$y 429,$y "; done
convert -size 429x185 gradient:'#ffffff-#cbe0f5' \
  -stroke '#dbe7f3' -strokewidth 1 -draw "$grid" \
  -stroke '#1a3c6e' -strokewidth 2 -fill '#9eb8d8' -draw "polygon $(gear 120 92 62 14)" \
  -fill '#ffffff' -draw "circle 120,92 120,70" \
  -fill '#cbd8e8' -draw "polygon $(hexagon 250 70 34)" -fill '#ffffff' -draw "circle 250,70 250,54" \
  -fill '#9eb8d8' -draw "rectangle 215,128 345,146" -draw "polygon $(hexagon 215 137 20)" \
  -stroke '#1a3c6e' -strokewidth 1 -draw "line 240,128 240,146 line 255,128 255,146 line 270,128 270,146 line 285,128 285,146 line 300,128 300,146 line 315,128 315,146 line 330,128 330,146" \
  -strokewidth 2 -fill '#cbd8e8' -draw "circle 370,70 370,26" -fill '#ffffff' -draw "circle 370,70 370,42" \
  -fill '#9eb8d8' -draw "circle 370,34 370,28 circle 402,52 402,46 circle 402,88 402,82 circle 370,106 370,100 circle 338,88 338,82 circle 338,52 338,46" \
  -fill '#ffffff' -draw "circle 370,70 370,52" \
  -type TrueColor BMP3:"$out/product.bmp"
convert -size 32x32 xc:'#1a5c9e' -stroke white -strokewidth 2 -fill '#9eb8d8' \
  -draw "polygon $(gear 16 16 13 8)" -fill '#1a5c9e' -draw "circle 16,16 16,11" "$out/install.ico"
python3 tools/bmp-to-rle.py "$out/product.bmp" "$out/product.rle"
python3 tools/pack-picture.py "$out/product.rle" "$out/product.rl4"
echo "wrote $out/product.bmp, $out/product.rle, $out/product.rl4 and $out/install.ico"
