#!/usr/bin/env bash
# The main job on a bundled example tune: installs what is missing, builds, writes the example
# tunes, and prepares "Au clair de la lune" for the organ: its note list and its card image
# (written to build/examples/au-clair-de-la-lune.notes and .carte, the summary to the terminal),
# programs it as piece A of a virtual card kept in build/examples/carte-virtuelle.bin, and
# prints the card information read back from that card.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh >/dev/null
python3 examples/make_examples.py build/examples >/dev/null
tune=build/examples/au-clair-de-la-lune.mid
echo "== Liste des notes de $tune (canaux 1 et 2, 27/29 notes)" >&2
build/cli/solmir-cli notes "$tune" --channels 1,2 >build/examples/au-clair-de-la-lune.notes
echo "$(wc -l <build/examples/au-clair-de-la-lune.notes) événements dans build/examples/au-clair-de-la-lune.notes" >&2
echo "== Image carte de $tune (canaux 1 et 2, 27/29 notes)" >&2
build/cli/solmir-cli image "$tune" --channels 1,2 >build/examples/au-clair-de-la-lune.carte
card=build/examples/carte-virtuelle.bin
rm -f "$card"
echo "== Programmation de $tune sur le morceau A d'une carte virtuelle ($card)" >&2
build/cli/solmir-cli program "$tune" --channels 1,2 --slot A --title "Au clair" \
  --port virtual --card "$card"
echo "== Infos sur la carte" >&2
build/cli/solmir-cli info --port virtual --card "$card"
