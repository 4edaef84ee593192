#!/usr/bin/python3
"""Checks `solmir-cli notes --dropped` against notes counted independently with mido.

For every MIDI file given (files or folders) and every scale (27/29, 32, 42, percussion), with
no transposition and with a few shifts, the notes that no output of the scale plays must be,
note name by note name, those this script counts from the file: the notes of the kept
channels (every channel, or channel 10 alone for the percussion scale) that last at least one
card tick at the default speed and step, shifted (drums of channel 10 under the percussion
scale never are), and not in the scale's table.

Usage: crosscheck_dropped.py --cli solmir-cli PATH...
Run with /usr/bin/python3 (Debian's python3-mido).
"""
import argparse
import collections
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from crosscheck_listing import expected_notes  # noqa: E402  (the mido reading of the notes)

BASE = [48, 50, 53, 55, 57, 60, 62, 64, 65, 66, 67, 68, 69, 70, 71, 72, 73, 74, 75, 76,
        77, 78, 79, 80, 81, 82, 83, 84, 86]
LOW_42 = [49, 51, 52, 54, 56, 58, 59, 61, 63, 85, 87, 88, 89]
PERCUSSION = [68, 69, 70, 71, 72, 73, 74, 75, 76, 77, 78, 79, 81,
              35, 36, 38, 39, 40, 41, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51, 53, 54, 55, 56,
              57, 59, 60, 61, 62, 63, 64, 66, 67]
SCALES = {"29": set(BASE), "32": set(BASE), "42": set(BASE + LOW_42),
          "percussion": set(PERCUSSION)}
SHIFTS = [0, 5, -12]
NAMES = ["C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"]
TICKS_PER_MS = 60 / 1000 / 0.25  # default speed 60 mm/s, step 0.25 mm


def name(key):
    return NAMES[key % 12] + str(key // 12 - 2) if 0 <= key <= 127 else str(key)


def expected(notes, scale, shift):
    """(dropped for sure, dropped or not): a note that lasts about one tick may or may not
    make a pair, as the listing keeps whole milliseconds (within 1 ms of mido's times)."""
    drums_only = scale == "percussion"
    sure, maybe = collections.Counter(), collections.Counter()
    tick_ms = 1 / TICKS_PER_MS
    for start, end, channel, key, _ in notes:
        if start is None or (drums_only and channel != 10):
            continue
        length = end - start
        if length < tick_ms - 1.5:
            continue  # shorter than a tick: no pair
        note = key if (drums_only and channel == 10) else key + shift
        if note not in SCALES[scale]:
            (maybe if length < tick_ms + 1.5 else sure)[name(note)] += 1
    return sure, maybe


def listed(cli, path, scale, shift):
    run = subprocess.run([cli, "notes", path, "--dropped", "--scale", scale,
                          "--transpose", str(shift)], capture_output=True)
    if run.returncode == 1 and b"Aucune note retenue" in run.stderr:
        # The scale's channels hold no note in this file: nothing kept, nothing dropped.
        return collections.Counter()
    if run.returncode != 0:
        raise RuntimeError("solmir-cli notes --dropped failed (%d): %s"
                           % (run.returncode, run.stderr.decode("utf-8", "replace").strip()))
    dropped = collections.Counter()
    for line in run.stdout.decode("utf-8").splitlines():
        dropped[line.split(" ", 2)[2]] += 1
    return dropped


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cli", required=True)
    parser.add_argument("paths", nargs="+")
    args = parser.parse_args()
    files = []
    for p in args.paths:
        if os.path.isdir(p):
            files += sorted(os.path.join(p, n) for n in os.listdir(p) if n.lower().endswith(".mid"))
        else:
            files.append(p)
    if not files:
        sys.exit("crosscheck_dropped.py: no MIDI file to check")
    failed = 0
    for path in files:
        notes = expected_notes(path)
        for scale in SCALES:
            for shift in SHIFTS:
                want, maybe = expected(notes, scale, shift)
                try:
                    got = listed(args.cli, path, scale, shift)
                    ok = all(want[n] <= got[n] <= want[n] + maybe[n]
                             for n in set(got) | set(want) | set(maybe))
                except Exception as e:  # a run that fails is a fault
                    got, ok = str(e), False
                failed += not ok
                print("%-5s %-10s %+3d %5d hors gamme  %s"
                      % ("ok" if ok else "FAUTE", scale, shift,
                         sum(got.values()) if ok else sum(want.values()),
                         os.path.basename(path)))
                if not ok:
                    print("      attendu %s" % dict(want))
                    print("      obtenu  %s" % (got if isinstance(got, str) else dict(got)))
    print("%d fichiers, %d en faute" % (len(files), failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
