#!/usr/bin/env bash
# Fuzzes every reader of outside bytes with libFuzzer, SECONDS each (default 45): the MIDI
# reader, the whole road of a MIDI file, and the settings, table and card files. Configures a
# clang build in build-fuzz/ (core and targets under AddressSanitizer and
# UndefinedBehaviorSanitizer), seeds the corpora (the shared MIDI files, the example tunes, a
# few small files), and runs. A crash, a hang (10 s on
# one input) or a broken rule fails the script and leaves the input in build-fuzz/artifacts/.
# The corpora in build-fuzz/corpus-*/ grow from run to run.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-45}
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
cmake --build "$dir" -j "$(nproc)" --target fuzz_listing fuzz_road fuzz_files

mkdir -p "$dir/seeds" "$dir/artifacts"
if [ -d ../shared/midi ]; then cp -f ../shared/midi/*.mid "$dir/seeds/" 2>/dev/null || true; fi
python3 examples/make_examples.py "$dir/seeds" >/dev/null
# Seeds of the other files: a settings file with a scale, table-like lines, a card's first bytes.
mkdir -p "$dir/seeds-files"
printf '\00060\r\n0.25\r\n100\r\n10\r\n## 3\r\n48\r\n50\r\n53\r\n' >"$dir/seeds-files/ini"
{ printf '\001'; for i in $(seq 1 60); do echo "$i"; done; } >"$dir/seeds-files/table"
{ printf '\002'; head -c 2048 /dev/zero | tr '\0' '\377'; } >"$dir/seeds-files/card"
printf '\0044\00060\00061\00062\0001\0000\0004\0003\0009000' >"$dir/seeds-files/settings"

# TARGET MAX_LEN DICT SEEDS: runs one target for SECONDS; fails on any fault.
run() {
  local target=$1 max_len=$2 dict=$3 seeds=$4 log="$dir/$1.log" status=0
  mkdir -p "$dir/corpus-$target"
  "$dir/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 -max_len="$max_len" \
    ${dict:+-dict=$dict} -print_final_stats=1 -artifact_prefix="$dir/artifacts/$target-" \
    "$dir/corpus-$target" "$seeds" >"$log" 2>&1 || status=$?
  local runs
  runs=$(sed -n 's/^Done \([0-9]*\) runs in \([0-9]*\) second.*/\1 entrées en \2 s/p' "$log" | tail -1)
  if [ "$status" -ne 0 ]; then
    tail -n 60 "$log" >&2
    echo "fuzz.sh : $target a échoué (code $status) ; entrée dans $dir/artifacts/" >&2
    exit 1
  fi
  echo "Fuzzing $target : ${runs:-?}, corpus de $(ls "$dir/corpus-$target" | wc -l) fichiers, aucun défaut."
}
run fuzz_listing 256 fuzz/midi.dict "$dir/seeds"
run fuzz_road 256 fuzz/midi.dict "$dir/seeds"
run fuzz_files 512 "" "$dir/seeds-files"
