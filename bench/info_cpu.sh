#!/usr/bin/env bash
# Waiting for the board must not spin a core: runs `solmir-cli info` against a virtual board
# that answers slowly (300 ms before each answer, about 3 s in all), on a pseudo-terminal and
# in the process, and prints the processor time used against the time elapsed. Fails when it
# is 5 % or more.
# Usage: bench/info_cpu.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cli=$build/cli/solmir-cli
board=$build/tools/solmir-carte-virtuelle
delay=300
limit=5

out=$(mktemp)
trap 'kill "$board_pid" 2>/dev/null || true; rm -f "$out"' EXIT
"$board" --piece-a 100 --title-a Mozart --answer-delay "$delay" --max-seconds 120 >"$out" &
board_pid=$!
for _ in $(seq 50); do [ -s "$out" ] && break; sleep 0.1; done
device=$(head -1 "$out")

measure() {
  local label=$1
  shift
  local TIMEFORMAT='%R %U %S'
  local t
  t=$({ time "$cli" info "$@" >/dev/null 2>&1; } 2>&1)
  read -r real user sys <<<"$t"
  awk -v l="$label" -v r="$real" -v u="$user" -v s="$sys" -v lim="$limit" 'BEGIN {
    p = 100 * (u + s) / r
    printf "%-28s écoulé %6.2f s  processeur %5.3f s (utilisateur %5.3f, système %5.3f)  %5.2f %%\n",
           l, r, u + s, u, s, p
    exit (p < lim ? 0 : 1)
  }'
}

status=0
measure "pseudo-terminal $device" --port "$device" || status=1
measure "carte virtuelle en process" --port virtual --piece-a 100 --answer-delay "$delay" || status=1
[ $status -eq 0 ] && echo "Attente de la carte : moins de $limit % du temps écoulé." ||
  echo "Attente de la carte : $limit % du temps écoulé ou plus." >&2
exit $status
