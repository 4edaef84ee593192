#!/usr/bin/env bash
# Fuzzes the MIDI reader with libFuzzer for SECONDS (default 60): configures a clang build in
# build-fuzz/ (core and target under AddressSanitizer and UndefinedBehaviorSanitizer), seeds the
# corpus with the shared MIDI files and the example tunes, and runs. A crash, a hang (10 s on
# one input) or a broken listing rule fails the script and leaves the input in
# build-fuzz/artifacts/. The corpus in build-fuzz/corpus/ grows from run to run.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
case "$seconds" in '' | *[!0-9]*) echo "Usage : scripts/fuzz.sh [SECONDES]" >&2; exit 2 ;; esac
cxx=${SOLMIR_FUZZ_CXX:-clang++}
if ! command -v "$cxx" >/dev/null 2>&1; then
  echo "fuzz.sh : $cxx introuvable (scripts/install-deps.sh installe clang et libclang-rt-14-dev)" >&2
  exit 1
fi
dir=build-fuzz
# A build folder left by another compiler cannot be reconfigured in place.
if [ -f "$dir/CMakeCache.txt" ] && ! grep -q "^CMAKE_CXX_COMPILER:.*clang" "$dir/CMakeCache.txt"; then
  rm -rf "$dir"
fi
cmake -S . -B "$dir" -G Ninja -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DSOLMIR_WITH_QT=OFF -DSOLMIR_FUZZ=ON >/dev/null
cmake --build "$dir" -j "$(nproc)" --target fuzz_listing

mkdir -p "$dir/corpus" "$dir/seeds" "$dir/artifacts"
if [ -d ../shared/midi ]; then cp -f ../shared/midi/*.mid "$dir/seeds/" 2>/dev/null || true; fi
python3 examples/make_examples.py "$dir/seeds" >/dev/null

log="$dir/fuzz.log"
status=0
"$dir/fuzz_listing" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 -max_len=65536 \
  -dict=fuzz/midi.dict -print_final_stats=1 -artifact_prefix="$dir/artifacts/" \
  "$dir/corpus" "$dir/seeds" >"$log" 2>&1 || status=$?
runs=$(sed -n 's/^Done \([0-9]*\) runs in \([0-9]*\) second.*/\1 entrées en \2 s/p' "$log" | tail -1)
if [ "$status" -ne 0 ]; then
  tail -n 60 "$log" >&2
  echo "fuzz.sh : le lecteur MIDI a échoué (code $status) ; entrée dans $dir/artifacts/" >&2
  exit 1
fi
echo "Fuzzing du lecteur MIDI : ${runs:-?}, corpus de $(ls "$dir/corpus" | wc -l) fichiers, aucun défaut."
