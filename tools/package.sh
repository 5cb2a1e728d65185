#!/usr/bin/env bash
# Builds the two artefacts of a release into build/dist: the portable zip
# (Ricordex.exe, Suoni\, Ricordex.html) and the per-user installer.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target Ricordex
version=$(sed -n 's/^project(Ricordex VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
program=$PWD/build/windows/src/ui
dist=$PWD/build/dist
rm -rf "$dist" && mkdir -p "$dist/Ricordex"
cp -r "$program/Ricordex.exe" "$program/Ricordex.html" "$program/Suoni" "$dist/Ricordex/"
(cd "$dist" && cmake -E tar cf "Ricordex-$version-portable.zip" --format=zip Ricordex)
makensis -V2 -INPUTCHARSET UTF8 -DSOURCE="$program" -DVERSION="$version" -DOUTFILE="$dist/Ricordex-$version-setup.exe" \
  packaging/installer.nsi
ls -l "$dist"
