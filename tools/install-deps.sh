#!/usr/bin/env bash
# Installs, when missing, every Debian package that building, testing and
# running Ricordex need, and the regional settings the tests run under.
set -euo pipefail

# Wine's own fonts are only recommended by its package, and recommendations
# are not installed: without them every caption falls back to a wider font.
# libclang-rt-dev is the sanitizer and fuzzer runtime of the distribution's
# default clang, whichever version that is, as clang itself.
# faketime gives the Wine session of the alerts' end-to-end test a clock of
# its own, and xclip reads what that test copies from the program.
packages=(
  cmake ninja-build g++ googletest libbenchmark-dev
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 fonts-wine xvfb xauth xdotool imagemagick locales python3 nsis faketime xclip
  clang libclang-rt-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine takes its regional settings from LC_ALL, which needs the locale generated.
need_locales=()
for l in it_IT en_US ru_RU; do
  locale -a 2>/dev/null | grep -qi "^$l\.utf-\?8$" || need_locales+=("$l.UTF-8 UTF-8")
done
if [ ${#need_locales[@]} -gt 0 ]; then
  for entry in "${need_locales[@]}"; do
    grep -q "^$entry" /etc/locale.gen 2>/dev/null || echo "$entry" | as_root tee -a /etc/locale.gen >/dev/null
  done
  as_root locale-gen >/dev/null
fi
