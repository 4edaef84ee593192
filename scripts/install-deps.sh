#!/usr/bin/env bash
# Installs what building and testing Solmir needs on Debian 12, when it is missing.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-serialport-dev qt6-svg-dev libgl1-mesa-dev
  libgtest-dev libgmock-dev
  clang libclang-rt-14-dev clang-format
  midicsv python3 python3-mido
  libfluidsynth-dev fluid-soundfont-gm
  avrdude xvfb xauth fonts-dejavu-core
  # The Debian package and its checks (scripts/package.sh).
  lintian appstream dpkg-dev
  # The core's unit tests cross-built for Windows and run under Wine (scripts/windows-tests.sh);
  # googletest is the source GoogleTest is built from there.
  g++-mingw-w64-x86-64-posix wine64 googletest
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installation de : ${missing[*]}" >&2
if [ "$(id -u)" -eq 0 ]; then sudo=(); else sudo=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
