#!/usr/bin/env bash
# Configures and builds Solmir into build/ (warnings are errors here: the build stays clean).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS="-Werror" >/dev/null
cmake --build build -j "$(nproc)"
