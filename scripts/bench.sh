#!/usr/bin/env bash
# The benchmarks, on the optimised build that scripts/build.sh makes in build/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh >/dev/null
# MIDI file -> card image (read, listing, extraction, passes, image) on a generated file of
# about 100,000 notes and on the shared tunes; fails when the road is slower than midicsv alone.
build/solmir_bench_card_image ../shared/midi
# Card programming paced by the board's answers, against the link's own time; fails above 1.1.
bench/programming.sh build
# solmir-cli notes and image against midicsv, whole processes in one hyperfine run: the ratios,
# and the peak memory of notes, image and export.
bench/road_bench.sh build
# Listing and note extraction against midicsv on 100,000 and 1,000,000 notes, with peak memory.
bench/run_bench.sh build
# Waiting for a slow board: processor time against elapsed time.
bench/info_cpu.sh build
