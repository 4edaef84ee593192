#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: unit, window and end-to-end tests,
# the core's tests again under AddressSanitizer and UndefinedBehaviorSanitizer, a short fuzzing
# run of the MIDI reader, and the format check.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j "$(nproc)"

# The core's tests under the sanitizers (the core builds without Qt).
cmake -S . -B build-asan -G Ninja -DSOLMIR_WITH_QT=OFF -DSOLMIR_SANITIZE=ON \
  -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build-asan -j "$(nproc)" --target solmir_unit_tests
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$(nproc)"

if [ -x scripts/fuzz.sh ]; then scripts/fuzz.sh 45; fi

# The Debian package, made from build/ and checked with dpkg-deb, appstreamcli and lintian.
scripts/package.sh build

# The core's unit tests cross-built for Windows with MinGW-w64 and run under Wine.
scripts/windows-tests.sh --gtest_brief=1
scripts/check-format.sh
echo "Tous les tests sont passés."
