#!/usr/bin/env bash
# The MIDI road of solmir-cli against midicsv, as users run them: whole processes, standard
# output to /dev/null, in one hyperfine run on the generated 100,000-note file, then the ratio
# of each command's time to midicsv's (wall clock and processor time); the same on the
# 1,000,000-note file to show the road stays linear; then the peak memory of notes, image and
# export (GNU time). Usage: bench/road_bench.sh [BUILD_DIR] (default build). LARGE=1 adds a
# file of about 50 MB (7,800,000 notes).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
for tool in midicsv hyperfine /usr/bin/time python3; do
  command -v "$tool" >/dev/null || { echo "road_bench.sh : $tool manque (scripts/install-deps.sh)" >&2; exit 1; }
done
cmake --build "$build" -j 2 --target solmir_bench_listing solmir-cli >/dev/null
cli="$build/cli/solmir-cli"
dir="$build/bench-midi"
mkdir -p "$dir"
sizes="100000 1000000"
[ "${LARGE:-0}" = 1 ] && sizes="$sizes 7800000"
for notes in $sizes; do
  [ -f "$dir/bench-$notes.mid" ] || "$build/solmir_bench_listing" write "$dir/bench-$notes.mid" "$notes" >/dev/null
done

ratios() {  # FILE RUNS [-i]
  local f=$1 json="$dir/road.json"
  hyperfine -N -w 3 -r "$2" ${3:-} --output=null --export-json "$json" \
    -n midicsv "midicsv $f /dev/null" -n notes "$cli notes $f" -n image "$cli image $f" >/dev/null 2>&1
  python3 - "$json" <<'PY'
import json, sys
r = {x["command"]: x for x in json.load(open(sys.argv[1]))["results"]}
m = r["midicsv"]
cpu = lambda x: x["user"] + x["system"]
for c in ("notes", "image"):
    print(f"   {c:6} : {r[c]['mean'] * 1000:7.1f} ms ({cpu(r[c]) * 1000:6.1f} ms de processeur)"
          f" = {r[c]['mean'] / m['mean']:.2f} x midicsv, processeur {cpu(r[c]) / cpu(m):.2f} x")
print(f"   midicsv : {m['mean'] * 1000:7.1f} ms ({cpu(m) * 1000:6.1f} ms de processeur)")
PY
}

echo "== 100 000 notes ($(stat -c %s "$dir/bench-100000.mid") octets), solmir-cli / midicsv :"
ratios "$dir/bench-100000.mid" 30
# Its card image needs more than the largest card: image stops with its message (status 1).
echo "== 1 000 000 notes (image : trop long pour la plus grande carte) :"
ratios "$dir/bench-1000000.mid" 5 -i

echo "== mémoire maximale (Mo)"
for notes in $sizes; do
  f="$dir/bench-$notes.mid"
  line="   $notes notes :"
  for c in notes image export; do
    args=("$c" "$f")
    [ "$c" = export ] && args+=(-o "$dir/export.mid")
    /usr/bin/time -f "%M" -o "$dir/time.txt" "$cli" "${args[@]}" >/dev/null 2>&1 || true
    line="$line $c $(tail -n 1 "$dir/time.txt" | awk '{ printf "%.1f", $1 / 1024 }')"
  done
  echo "$line"
done
