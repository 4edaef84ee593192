#!/usr/bin/env python3
"""Writes Solmir's example tunes as Standard MIDI Files, without any MIDI library.

  au-clair-de-la-lune.mid   format 1: a conductor track with a tempo change half way, the
                            melody on channel 1, a bass on channel 2, a drum on channel 10
  au-clair-de-la-lune-0.mid the same tune merged into one track (format 0)
  gamme-29.mid              every note of the 27/29-note scale, one after the other

Usage: make_examples.py [FOLDER]   (default: the folder of this script)
"""
import os
import struct
import sys

PPQ = 480


def vlq(v):
    out = [v & 0x7F]
    v >>= 7
    while v:
        out.insert(0, 0x80 | (v & 0x7F))
        v >>= 7
    return bytes(out)


def track(events):
    """events: (absolute tick, bytes) pairs; returns an MTrk chunk ending the track."""
    data = b""
    now = 0
    for tick, ev in sorted(events, key=lambda e: e[0]):
        data += vlq(tick - now) + ev
        now = tick
    data += vlq(0) + b"\xff\x2f\x00"
    return b"MTrk" + struct.pack(">I", len(data)) + data


def meta(kind, payload):
    return bytes([0xFF, kind]) + vlq(len(payload)) + payload


def tempo(us_per_quarter):
    return meta(0x51, struct.pack(">I", us_per_quarter)[1:])


def notes(channel, melody, start=0, velocity=100):
    """melody: (MIDI note or None for a rest, length in quarter notes) pairs."""
    events, t = [], start
    for note, quarters in melody:
        length = int(quarters * PPQ)
        if note is not None:
            # Released a little early so that repeated notes speak again.
            events.append((t, bytes([0x90 | (channel - 1), note, velocity])))
            events.append((t + length - PPQ // 16, bytes([0x80 | (channel - 1), note, 0])))
        t += length
    return events


# "Au clair de la lune", traditional, in C major (C5 = 72, where the 27/29-note scale is
# chromatic), as the children sing it; the bass keeps to the scale's low notes.
PHRASE_A = [(72, 1), (72, 1), (72, 1), (74, 1), (76, 2), (74, 2),
            (72, 1), (76, 1), (74, 1), (74, 1), (72, 4)]
PHRASE_B = [(74, 1), (74, 1), (74, 1), (74, 1), (69, 2), (69, 2),
            (74, 1), (72, 1), (71, 1), (69, 1), (67, 4)]
MELODY = PHRASE_A + PHRASE_A + PHRASE_B + PHRASE_A
BASS_A = [(48, 2), (55, 2), (48, 2), (55, 2), (55, 2), (50, 2), (48, 4)]
BASS_B = [(50, 2), (57, 2), (57, 4), (50, 2), (55, 2), (55, 4)]
BASS = BASS_A + BASS_A + BASS_B + BASS_A
DRUM = [(36, 1), (None, 1), (38, 1), (None, 1)] * 16


def clair_de_la_lune():
    beats = sum(q for _, q in MELODY)
    conductor = [
        (0, meta(0x03, b"Au clair de la lune")),
        (0, meta(0x58, bytes([4, 2, 24, 8]))),
        (0, tempo(600000)),                         # 100 to the quarter note
        (int(beats / 2 * PPQ), tempo(500000)),      # 120 for the second half
    ]
    melody = [(0, meta(0x03, b"Melodie")), (0, bytes([0xC0, 20]))] + notes(1, MELODY)
    bass = [(0, meta(0x03, b"Basse")), (0, bytes([0xC1, 32]))] + notes(2, BASS, velocity=80)
    drum = [(0, meta(0x03, b"Percussion"))] + notes(10, DRUM, velocity=90)
    return conductor, melody, bass, drum


def smf(fmt, tracks):
    return b"MThd" + struct.pack(">IHHH", 6, fmt, len(tracks), PPQ) + b"".join(tracks)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    os.makedirs(folder, exist_ok=True)
    parts = clair_de_la_lune()
    files = {
        "au-clair-de-la-lune.mid": smf(1, [track(p) for p in parts]),
        "au-clair-de-la-lune-0.mid": smf(0, [track([e for p in parts for e in p])]),
        "gamme-29.mid": smf(0, [track([(0, tempo(500000))] + notes(1, [
            (n, 0.5) for n in (48, 50, 53, 55, 57, 60, 62, 64, 65, 66, 67, 68, 69, 70, 71, 72,
                               73, 74, 75, 76, 77, 78, 79, 80, 81, 82, 83, 84, 86)]))]),
    }
    for name, data in files.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
        print(os.path.join(folder, name))


if __name__ == "__main__":
    main()
