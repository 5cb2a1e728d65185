#!/usr/bin/env bash
# Draws the program's icons with ImageMagick into the folder given:
#   program.ico   the program (a calendar page with a red bell dot), 16 and 32 pixels
#   status0..3    the row status: distant (a calendar page), pending (a blue
#                 clock), past (a grey tick), imminent (a red exclamation mark);
#                 status-N.bmp holds the four side by side at N pixels
#   menu-*.ico    the tray menu's pictures: stop, window, new event, options
#
# Each picture is a list of vector drawing primitives on a grid of 16 units
# (32 for the program icon); it is rendered at every size its use needs and
# the sizes are kept in one .ico, so that it is sharp at any DPI.
set -euo pipefail
out=${1:?output folder}
mkdir -p "$out"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# icon NAME GRID "SIZES" PRIMITIVES...
icon() {
  local name=$1 grid=$2 sizes=$3; shift 3
  local pngs=()
  for size in $sizes; do
    local factor
    factor=$(awk -v s="$size" -v g="$grid" 'BEGIN { printf "%.4f", s / g }')
    convert -size "${size}x${size}" xc:none -affine "$factor,0,0,$factor,0,0" "$@" "$tmp/$name-$size.png"
    pngs+=("$tmp/$name-$size.png")
  done
  convert "${pngs[@]}" "$out/$name.ico"
}
small="16 20 24 32"     # list icons and menu pictures
large="32 40 48 64"     # button pictures
draw16() { local target=${*: -1}; local name; name=$(basename "$target" .ico); icon "$name" 16 "$small" "${@:1:$#-1}"; }

draw16 -fill white -stroke '#37474f' -draw 'rectangle 1.5,2.5 13.5,14.5' \
       -stroke none -fill '#37474f' -draw 'rectangle 1,2 14,5' \
       -fill '#90a4ae' -draw 'rectangle 4,8 5,9' -draw 'rectangle 7,8 8,9' -draw 'rectangle 10,8 11,9' \
       -draw 'rectangle 4,11 5,12' -draw 'rectangle 7,11 8,12' "$out/status0.ico"
draw16 -fill '#1e63c4' -stroke '#0d3c80' -draw 'circle 7.5,7.5 7.5,0.5' \
       -stroke white -strokewidth 1.6 -draw 'line 7.5,7.5 7.5,3' -draw 'line 7.5,7.5 10.5,9' "$out/status1.ico"
draw16 -fill '#9e9e9e' -stroke '#616161' -draw 'circle 7.5,7.5 7.5,0.5' \
       -stroke white -strokewidth 1.8 -fill none -draw 'polyline 4,8 6.5,10.5 11,5' "$out/status2.ico"
draw16 -fill '#d32f2f' -stroke '#8e0000' -draw 'circle 7.5,7.5 7.5,0.5' \
       -stroke none -fill white -draw 'rectangle 7,3 8,9' -draw 'rectangle 7,11 8,12' "$out/status3.ico"
# The four status pictures side by side, one strip a size: the list's image
# list takes each strip in one piece.
for size in $small; do
  convert "$tmp/status0-$size.png" "$tmp/status1-$size.png" "$tmp/status2-$size.png" "$tmp/status3-$size.png" \
          +append -define bmp:format=bmp4 "BMP:$out/status-$size.bmp"
done

# The program: a calendar page with a red dot.
icon program 32 "16 20 24 32 40 48 64 256" \
  -fill white -stroke '#1a237e' -strokewidth 2 -draw 'roundrectangle 3,5 28,29 3,3' \
  -stroke none -fill '#1a237e' -draw 'rectangle 3,5 28,11' \
  -fill '#7986cb' -draw 'rectangle 8,15 11,18' -draw 'rectangle 14,15 17,18' -draw 'rectangle 8,21 11,24' \
  -fill '#e53935' -stroke white -strokewidth 1 -draw 'circle 22,22 22,16' \
  -stroke none -fill '#1a237e' -draw 'rectangle 8,2 10,7' -draw 'rectangle 21,2 23,7'

draw16 -fill '#c62828' -stroke '#7f0000' -draw 'roundrectangle 2.5,2.5 12.5,12.5 2,2' "$out/menu-stop.ico"
draw16 -fill white -stroke '#37474f' -draw 'rectangle 1.5,2.5 13.5,13.5' \
       -stroke none -fill '#1e63c4' -draw 'rectangle 1,2 14,5' "$out/menu-window.ico"
draw16 -fill white -stroke '#37474f' -draw 'rectangle 1.5,2.5 12.5,13.5' \
       -stroke none -fill '#37474f' -draw 'rectangle 1,2 13,5' \
       -fill '#2e7d32' -draw 'rectangle 9,6 11,15' -draw 'rectangle 6,9 14,11' "$out/menu-new.ico"
draw16 -fill '#607d8b' -stroke '#37474f' -draw 'circle 7.5,7.5 7.5,1' \
       -stroke none -fill '#eceff1' -draw 'circle 7.5,7.5 7.5,5' \
       -fill '#37474f' -draw 'rectangle 7,0 8,2' -draw 'rectangle 7,13 8,15' -draw 'rectangle 0,7 2,8' -draw 'rectangle 13,7 15,8' \
       "$out/menu-options.ico"

# Buttons: 32-pixel pictures, drawn on the same 16-pixel grid and doubled, so
# that they share the style of the small ones.
button() { local name=$1; shift; icon "$name" 16 "16 20 24 $large" "$@"; }
button btn-new -fill white -stroke '#37474f' -draw 'rectangle 1.5,2.5 12.5,13.5' \
       -stroke none -fill '#37474f' -draw 'rectangle 1,2 13,5' \
       -fill '#2e7d32' -draw 'rectangle 9,6 11,15' -draw 'rectangle 6,9 14,11'
button btn-modify -stroke '#ef6c00' -strokewidth 3 -draw 'line 4,11 11,4' \
       -stroke '#f48fb1' -draw 'line 11.5,3.5 13,2' -stroke '#5d4037' -strokewidth 1.5 -draw 'line 2,14 4,11'
button btn-delete -fill '#90a4ae' -stroke '#455a64' -draw 'rectangle 4.5,5.5 11.5,14.5' \
       -draw 'line 3,4 13,4' -draw 'rectangle 6.5,2.5 9.5,3.5' -stroke '#455a64' -draw 'line 6.5,7 6.5,13' -draw 'line 9.5,7 9.5,13'
button btn-options -fill '#607d8b' -stroke '#37474f' -draw 'circle 7.5,7.5 7.5,1' \
       -stroke none -fill '#eceff1' -draw 'circle 7.5,7.5 7.5,5' \
       -fill '#37474f' -draw 'rectangle 7,0 8,2' -draw 'rectangle 7,13 8,15' -draw 'rectangle 0,7 2,8' -draw 'rectangle 13,7 15,8'
button btn-help -fill '#1e63c4' -stroke '#0d3c80' -draw 'circle 7.5,7.5 7.5,0.5' \
       -stroke none -fill white -draw 'rectangle 7,6 8,12' -draw 'rectangle 7,3 8,4'
button btn-close -fill '#2e7d32' -stroke '#1b5e20' -draw 'polygon 2,6 8,6 8,3 13,7.5 8,12 8,9 2,9'
button btn-confirm -fill none -stroke '#2e7d32' -strokewidth 2.5 -draw 'polyline 3,8 6,11 12,4'
button btn-cancel -stroke '#c62828' -strokewidth 2.5 -draw 'line 4,4 11,11' -draw 'line 11,4 4,11'
button btn-file -fill white -stroke '#37474f' -draw 'polygon 3,1.5 10,1.5 13,4.5 13,14.5 3,14.5' \
       -fill '#6a1b9a' -stroke none -draw 'circle 6.5,11.5 6.5,9.5' -draw 'rectangle 8,4 9,11.5' -draw 'rectangle 8,4 11,5'
button btn-play -fill '#2e7d32' -stroke '#1b5e20' -draw 'polygon 4,2 13,7.5 4,13'
button btn-folder -fill '#f9a825' -stroke '#c17900' -draw 'polygon 1.5,3.5 6,3.5 7.5,5.5 14.5,5.5 14.5,13.5 1.5,13.5'
