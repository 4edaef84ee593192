#!/usr/bin/env bash
# Benchmark of the MIDI reading against midicsv.
#
# Writes a generated file of about 100,000 notes over 16 channels with 500 tempo changes and
# one ten times larger, then for each: the listing and the note extraction inside the
# benchmark program (first run of a fresh process, and best of several), the same program's
# peak memory, `solmir-cli listing FILE > /dev/null` (the listing as text, like midicsv), and
# `midicsv FILE > /dev/null`. Times are the best of RUNS fresh processes (default 5): the
# machine may be shared. Usage: bench/run_bench.sh [BUILD_DIR] (default build).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${RUNS:-5}
for tool in midicsv /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "run_bench.sh : $tool manque (scripts/install-deps.sh)" >&2; exit 1; }
done
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j 2 --target solmir_bench_listing >/dev/null
bench="$build/solmir_bench_listing"
cli="$build/cli/solmir-cli"
if grep -q "^SOLMIR_WITH_QT:BOOL=ON" "$build/CMakeCache.txt"; then
  cmake --build "$build" -j 2 --target solmir-cli >/dev/null
else
  cli=""
fi
dir="$build/bench-midi"
mkdir -p "$dir"

# best_of CMD...: the best wall time (s) and the largest peak memory (MB) over the runs, read
# from GNU time's verbose report.
best_of() {
  local best="" peak=0 report wall rss
  for _ in $(seq "$runs"); do
    /usr/bin/time -v -o "$dir/time.txt" "$@" >/dev/null 2>/dev/null || true
    report=$(cat "$dir/time.txt")
    wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' <<<"$report" |
      awk -F: '{ s = 0; for (i = 1; i <= NF; i++) s = s * 60 + $i; print s }')
    rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' <<<"$report")
    best=$(awk -v a="$best" -v b="$wall" 'BEGIN { print (a == "" || b < a) ? b : a }')
    peak=$(( rss > peak ? rss : peak ))
  done
  awk -v t="$best" -v m="$peak" 'BEGIN { printf "%7.1f ms, mémoire max %6.1f Mo", t * 1000, m / 1024 }'
}

# first_run FILE: the best "first run" time of listing + extraction over fresh processes.
first_run() {
  local best=""
  for _ in $(seq "$runs"); do
    t=$("$bench" run "$1" 1 | sed -n 's/.*premier passage, listing + extraction : *\([0-9.]*\) ms.*/\1/p')
    best=$(awk -v a="$best" -v b="$t" 'BEGIN { print (a == "" || b < a) ? b : a }')
  done
  echo "$best"
}

declare -A first
for notes in 100000 1000000; do
  file="$dir/bench-$notes.mid"
  [ -f "$file" ] || "$bench" write "$file" "$notes" >/dev/null
  echo "== $file ($(stat -c %s "$file") octets)"
  "$bench" run "$file" 5 | sed 's/^/   /'
  first[$notes]=$(first_run "$file")
  printf '   listing + extraction, premier passage, meilleur de %d processus : %.1f ms\n' "$runs" "${first[$notes]}"
  printf '   solmir_bench_listing run (1 passage) : %s\n' "$(best_of "$bench" run "$file" 1)"
  [ -n "$cli" ] && printf '   solmir-cli listing > /dev/null       : %s\n' "$(best_of "$cli" listing "$file")"
  printf '   midicsv > /dev/null                  : %s\n' "$(best_of midicsv "$file")"
done
awk -v a="${first[100000]}" -v b="${first[1000000]}" \
  'BEGIN { printf "== 10 fois plus de notes : %.1f fois le temps (listing + extraction)\n", b / a }'
