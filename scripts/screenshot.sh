#!/usr/bin/env bash
# Pictures of the window with an example tune loaded, taken on a virtual display (xvfb-run):
# docs/solmir.png at 100 % and docs/solmir-200.png at 200 % scaling, and the card preview
# docs/apercu.png. The settings and the data
# folder of these runs live in a scratch home folder, never in yours.
#   scripts/screenshot.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
[ -f "$build/build.ninja" ] || cmake -S . -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target solmir-screenshot >/dev/null
python3 examples/make_examples.py "$build/examples" >/dev/null

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
home="$scratch/home/organiste"
mkdir -p "$home/run" "$home/Documents" docs
chmod 700 "$home/run"
# The tune is opened from the documents folder, as a user would.
cp "$build/examples/au-clair-de-la-lune.mid" "$home/Documents/"
tune="$home/Documents/au-clair-de-la-lune.mid"
shot() {
  HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_RUNTIME_DIR="$home/run" \
    xvfb-run -a -s "-screen 0 1600x1000x24" "$build/ui/solmir-screenshot" "$@"
}
shot docs/solmir.png "$tune"
QT_SCALE_FACTOR=2 shot docs/solmir-200.png "$tune"
# The card preview of the same tune (docs/apercu.png).
shot docs/apercu.png "$tune" --fenetre apercu
