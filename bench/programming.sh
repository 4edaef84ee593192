#!/usr/bin/env bash
# Card programming paced by the board's acknowledgements: a piece of about 4,000 bytes written
# through the real Qt serial port to solmir-carte-virtuelle on a pseudo-terminal, paced like a
# 57600-baud link with a card that answers each line at once. Prints the time taken against
# the link's own time for the bytes exchanged, and the processor time used; fails when the
# time is more than 1.1 times the link's.
# Usage: bench/programming.sh [BUILD_DIR] [options of solmir_bench_programming]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
shift || true
ninja -C "$build" -j2 solmir_bench_programming solmir-carte-virtuelle >/dev/null
"$build/solmir_bench_programming" --board "$build/tools/solmir-carte-virtuelle" "$@"
