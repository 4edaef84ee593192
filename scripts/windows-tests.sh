#!/usr/bin/env bash
# Cross-builds the Qt-free core and its unit tests for Windows with MinGW-w64 and runs them
# under Wine. GoogleTest is built for MinGW first, from Debian's source package
# (/usr/src/googletest), into build-windows/googletest (SOLMIR_WINDOWS_BUILD_DIR: another
# folder than build-windows).
# Usage: scripts/windows-tests.sh [gtest options, e.g. --gtest_filter=UploadScript.*]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=${SOLMIR_WINDOWS_BUILD_DIR:-$root/build-windows}
jobs=$(nproc)
toolchain=$root/cmake/mingw-w64.cmake
export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-$(command -v ccache || true)}

# Wine in a prefix of its own, made on first use and thrown away afterwards; no messages of
# its own on the terminal.
export WINEDEBUG=-all
export WINEPREFIX
WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/solmir-wine.XXXXXX")
# Debian's wine64 package keeps its programs in /usr/lib/wine (the wine package adds the
# wrappers in /usr/bin).
export PATH=$PATH:/usr/lib/wine
wine=$(command -v wine64 || command -v wine)
cleanup() {
  wineserver -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
trap "exit 1" INT TERM
"$wine" wineboot --init >/dev/null 2>&1

if [ ! -f "$out/googletest/lib/cmake/GTest/GTestConfig.cmake" ]; then
  cmake -S /usr/src/googletest -B "$out/googletest-build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release -DBUILD_GMOCK=OFF \
    -DCMAKE_INSTALL_PREFIX="$out/googletest" >/dev/null
  cmake --build "$out/googletest-build" -j "$jobs"
  cmake --install "$out/googletest-build" >/dev/null
fi

# -O2 as in the native build (at -O3 g++ 12 warns falsely of overlapping copies in std::string).
cmake -S . -B "$out/solmir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" \
  -DCMAKE_CXX_FLAGS="-Werror" -DSOLMIR_WITH_QT=OFF \
  -DGTest_DIR="$out/googletest/lib/cmake/GTest" >/dev/null
cmake --build "$out/solmir" -j "$jobs" --target solmir_unit_tests

# The whole suite in one Wine process (one Wine start instead of one per test).
"$wine" "$out/solmir/solmir_unit_tests.exe" "$@"
