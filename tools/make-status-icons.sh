#!/usr/bin/env bash
# Draws the four 16 x 16 row status icons (ImageMagick) into the folder given:
# 0 distant (a calendar page), 1 pending (a blue clock), 2 past (a grey tick),
# 3 imminent (a red exclamation mark).
set -euo pipefail
out=${1:?output folder}
mkdir -p "$out"
draw() { convert -size 16x16 xc:none "$@"; }

draw -fill white -stroke '#37474f' -draw 'rectangle 1.5,2.5 13.5,14.5' \
     -stroke none -fill '#37474f' -draw 'rectangle 1,2 14,5' \
     -fill '#90a4ae' -draw 'rectangle 4,8 5,9' -draw 'rectangle 7,8 8,9' -draw 'rectangle 10,8 11,9' \
     -draw 'rectangle 4,11 5,12' -draw 'rectangle 7,11 8,12' "$out/status0.ico"
draw -fill '#1e63c4' -stroke '#0d3c80' -draw 'circle 7.5,7.5 7.5,0.5' \
     -stroke white -strokewidth 1.6 -draw 'line 7.5,7.5 7.5,3' -draw 'line 7.5,7.5 10.5,9' "$out/status1.ico"
draw -fill '#9e9e9e' -stroke '#616161' -draw 'circle 7.5,7.5 7.5,0.5' \
     -stroke white -strokewidth 1.8 -fill none -draw 'polyline 4,8 6.5,10.5 11,5' "$out/status2.ico"
draw -fill '#d32f2f' -stroke '#8e0000' -draw 'circle 7.5,7.5 7.5,0.5' \
     -stroke none -fill white -draw 'rectangle 7,3 8,9' -draw 'rectangle 7,11 8,12' "$out/status3.ico"
