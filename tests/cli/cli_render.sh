#!/usr/bin/env bash
# solmir-cli render: the card image heard, as a WAV file; from a MIDI file, and from a piece
# read back from a virtual card. The sound font is Debian's (fluid-soundfont-gm).
set -u
cli="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "ÉCHEC : $*" >&2; exit 1; }

# Note 60 from tick 0 to 60 at 120 ticks per quarter note (one card tick each), then note 60
# again from 62 to 122.
printf 'MThd\0\0\0\6\0\0\0\1\0\170MTrk\0\0\0\24\0\220<d<\200<\0\2\220<d<\200<\0\0\377/\0' \
  >"$work/a.mid"

# The WAV file's length in seconds and the time of its first loud sample.
measure() {
  python3 - "$1" <<'PY'
import struct, sys, wave
w = wave.open(sys.argv[1])
assert w.getnchannels() == 2 and w.getsampwidth() == 2 and w.getframerate() == 44100
n = w.getnframes()
s = struct.unpack("<%dh" % (2 * n), w.readframes(n))
first = next((i // 2 for i, v in enumerate(s) if abs(v) > 100), -1)
print("%.3f %.3f" % (n / 44100, first / 44100))
PY
}

"$cli" render "$work/a.mid" -o "$work/a.wav" >"$work/out" 2>"$work/err" || fail "render a échoué"
[ ! -s "$work/out" ] || fail "render écrit sur stdout"
grep -q "Son de la carte : 4 enregistrements" "$work/err" || fail "résumé"
read -r length first < <(measure "$work/a.wav") || fail "fichier WAV illisible"
# 400 ticks of initial delay, then 122 ticks of notes, at 1/240 s; then 1.5 s to die away.
[ "$length" = "3.675" ] || fail "durée $length"
python3 -c "import sys; sys.exit(not 1.6667 <= $first <= 1.677)" || fail "début de la note à $first s"

# At half the speed the tune keeps its pace (half as many ticks, each twice as long), but the
# 100 mm of cardboard before it last twice as long.
"$cli" render "$work/a.mid" -o "$work/lent.wav" --speed 30 --program 82 2>/dev/null ||
  fail "render --speed 30"
read -r length first < <(measure "$work/lent.wav")
[ "$length" = "5.342" ] || fail "durée à 30 mm/s $length"
python3 -c "import sys; sys.exit(not 3.3333 <= $first <= 3.344)" || fail "début à 30 mm/s $first"

# A piece read back from a card sounds as the image it was programmed from.
card="$work/carte.bin"
"$cli" program "$work/a.mid" --slot A --port virtual --card "$card" --title Valse >/dev/null 2>&1 ||
  fail "programmation de la carte"
"$cli" render --card "$card" --slot A -o "$work/b.wav" >/dev/null 2>"$work/err" ||
  fail "render --card a échoué : $(cat "$work/err")"
cmp -s "$work/a.wav" "$work/b.wav" || fail "le morceau relu ne sonne pas comme l'image"
"$cli" render --card "$card" --slot B -o "$work/vide.wav" >/dev/null 2>"$work/err"
[ $? -eq 1 ] || fail "statut d'un emplacement vide"
grep -q "Le morceau à copier n'existe pas" "$work/err" || fail "message d'emplacement vide"
[ ! -e "$work/vide.wav" ] || fail "un fichier son pour un emplacement vide"

# Bad usage, missing sound font, file that cannot be written.
"$cli" render "$work/a.mid" >/dev/null 2>&1; [ $? -eq 2 ] || fail "render sans -o"
"$cli" render "$work/a.mid" -o "$work/c.wav" --program 128 >/dev/null 2>"$work/err"
[ $? -eq 2 ] || fail "statut de --program 128"
grep -q "programme General MIDI de 0 à 127" "$work/err" || fail "message de --program"
SOLMIR_SOUNDFONT="$work/absente.sf2" "$cli" render "$work/a.mid" -o "$work/c.wav" >/dev/null \
  2>"$work/err"
[ $? -eq 1 ] || fail "statut sans banque de sons"
grep -q "Banque de sons introuvable : $work/absente.sf2" "$work/err" || fail "message banque"
"$cli" render "$work/a.mid" -o "$work/absent/c.wav" >/dev/null 2>"$work/err"
[ $? -eq 1 ] || fail "statut d'un fichier impossible"
grep -q "Impossible d'écrire le fichier son" "$work/err" || fail "message d'écriture"
"$cli" --help | grep -q "solmir-cli render" || fail "--help ne cite pas render"
echo ok
