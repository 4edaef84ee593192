#!/usr/bin/python3
"""Checks the notes of `solmir-cli listing` against notes computed independently with mido.

For every MIDI file given (files or folders, and the example tunes written by
examples/make_examples.py), the NOTE lines of the listing (start ms, end ms = start + duration,
channel, key, velocity) must match, in order, the notes that this script computes from the file
in double precision, within 1 ms.

The reading rules are the program's: tracks are read one after another; a note runs from the
first note on of a key to the note end that brings its count of note ons back to zero and is
written when it ends; notes still sounding at the end of their track are dropped; a note end
without note on gives a line whose start is not compared; in a format-1 file only the first
track's tempo events count, in other formats every track's tempo event replaces the rest of the
tempo map from its tick on.

Usage: crosscheck_listing.py --cli solmir-cli [--examples make_examples.py --work DIR] PATH...
Run with /usr/bin/python3 (Debian's python3-mido).
"""
import argparse
import bisect
import os
import subprocess
import sys

try:
    import mido
except ImportError:
    sys.exit("crosscheck_listing.py: mido is missing (apt install python3-mido, run with "
             "/usr/bin/python3)")

TOLERANCE_MS = 1.0


class TempoMap:
    """Tempo changes as (tick, microseconds per quarter note), with the time of each change."""

    def __init__(self, division):
        self.division = division
        self.ticks = [0]
        self.tempos = [500000]
        self.starts = [0.0]  # milliseconds at each change

    def ms(self, tick):
        i = bisect.bisect_right(self.ticks, tick) - 1
        return self.starts[i] + (tick - self.ticks[i]) * self.tempos[i] / self.division / 1000.0

    def change(self, tick, tempo):
        # Changes after this tick are replaced; one at this very tick is superseded.
        keep = bisect.bisect_right(self.ticks, tick)
        start = self.ms(tick)
        del self.ticks[keep:], self.tempos[keep:], self.starts[keep:]
        self.ticks.append(tick)
        self.tempos.append(tempo)
        self.starts.append(start)


def expected_notes(path):
    """(start ms or None for a note end without note on, end ms, channel, key, velocity)."""
    mf = mido.MidiFile(path, clip=True)
    if mf.type not in (0, 1, 2):
        raise ValueError("format %d" % mf.type)
    tempo = TempoMap(mf.ticks_per_beat)
    notes = []
    for number, track in enumerate(mf.tracks):
        records_tempo = not (mf.type == 1 and number > 0)
        tick = 0
        sounding = {}  # (channel, key) -> [start tick, count, velocity]
        last_velocity = {}
        for msg in track:
            tick += msg.time
            if msg.type == "set_tempo":
                if records_tempo:
                    tempo.change(tick, msg.tempo)
            elif msg.type == "note_on" and msg.velocity > 0:
                k = (msg.channel + 1, msg.note)
                if k in sounding:
                    sounding[k][1] += 1
                else:
                    sounding[k] = [tick, 1, msg.velocity]
                    last_velocity[k] = msg.velocity
            elif msg.type in ("note_on", "note_off"):
                k = (msg.channel + 1, msg.note)
                if k in sounding:
                    sounding[k][1] -= 1
                    if sounding[k][1] < 1:
                        start, _, velocity = sounding.pop(k)
                        notes.append((tempo.ms(start), tempo.ms(tick), k[0], k[1], velocity))
                else:
                    notes.append((None, tempo.ms(tick), k[0], k[1], last_velocity.get(k, 0)))
    return notes


def listed_notes(cli, path):
    """The NOTE lines of the listing, as (start field, duration field, channel, key, velocity)."""
    run = subprocess.run([cli, "listing", path], capture_output=True)
    if run.returncode != 0:
        raise RuntimeError("solmir-cli listing failed (%d): %s"
                           % (run.returncode, run.stderr.decode("latin-1").strip()))
    lines = run.stdout.decode("latin-1").splitlines()
    if len(lines) < 2 or not lines[-2].startswith("HEAD ") or lines[-1] != "ENDF 9999999":
        raise RuntimeError("the listing does not end with HEAD and ENDF")
    notes = []
    for line in lines:
        if line.startswith("NOTE "):
            f = line.split(" ")
            notes.append((f[1], int(f[5]), int(f[3]), int(f[4]), int(f[6])))
    return notes


def unwrap(field, expected, width):
    """The value whose lower `width` digits the field shows, nearest to the expected value."""
    m = 10 ** width
    return field + round((expected - field) / m) * m


def check(cli, path):
    """Returns (number of notes compared, largest deviation in ms, list of faults)."""
    want = expected_notes(path)
    got = listed_notes(cli, path)
    faults = []
    if len(want) != len(got):
        faults.append("%d NOTE lines, %d notes expected" % (len(got), len(want)))
    worst = 0.0
    for i, (w, g) in enumerate(zip(want, got)):
        w_start, w_end, w_channel, w_key, w_velocity = w
        g_start, g_duration, g_channel, g_key, g_velocity = g
        where = "note %d (channel %d, key %d)" % (i + 1, w_channel, w_key)
        if (g_channel, g_key, g_velocity) != (w_channel, w_key, w_velocity):
            faults.append("%s: listed channel %d, key %d, velocity %d, expected velocity %d"
                          % (where, g_channel, g_key, g_velocity, w_velocity))
            continue
        if w_start is None:
            continue
        start = unwrap(int(g_start), w_start, 7)
        end = start + unwrap(g_duration, w_end - w_start, 5)
        deviation = max(abs(start - w_start), abs(end - w_end))
        worst = max(worst, deviation)
        if deviation > TOLERANCE_MS:
            faults.append("%s: listed %d..%d ms, expected %.3f..%.3f ms"
                          % (where, start, end, w_start, w_end))
    return len(want), worst, faults


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cli", required=True, help="the solmir-cli program")
    parser.add_argument("--examples", help="examples/make_examples.py, to check its tunes too")
    parser.add_argument("--work", help="folder for the example tunes")
    parser.add_argument("paths", nargs="*", help="MIDI files or folders of MIDI files")
    args = parser.parse_args()

    files = []
    for p in args.paths:
        if os.path.isdir(p):
            files += sorted(os.path.join(p, n) for n in os.listdir(p) if n.lower().endswith(".mid"))
        elif os.path.isfile(p):
            files.append(p)
        else:
            sys.exit("crosscheck_listing.py: no such file or folder: %s" % p)
    if args.examples:
        work = args.work or os.path.join(os.getcwd(), "crosscheck-examples")
        made = subprocess.run([sys.executable, args.examples, work], check=True,
                              capture_output=True, text=True)
        files += [l for l in made.stdout.splitlines() if l.endswith(".mid")]
    if not files:
        sys.exit("crosscheck_listing.py: no MIDI file to check")

    total, worst_all, failed = 0, 0.0, 0
    for path in files:
        try:
            count, worst, faults = check(args.cli, path)
        except Exception as e:  # a file the checker or the program cannot read is a fault
            count, worst, faults = 0, 0.0, [str(e)]
        total += count
        worst_all = max(worst_all, worst)
        status = "ok" if not faults else "FAUTE"
        print("%-5s %5d notes, écart max %.3f ms  %s" % (status, count, worst, path))
        for f in faults[:10]:
            print("      " + f)
        if len(faults) > 10:
            print("      ... %d de plus" % (len(faults) - 10))
        failed += bool(faults)
    print("%d fichiers, %d notes, écart max %.3f ms, %d en faute"
          % (len(files), total, worst_all, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
