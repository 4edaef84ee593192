#!/usr/bin/env bash
# solmir-cli on files that are not read whole, not MIDI, without notes, or not files at all:
# what was read still goes to standard output, the reason to standard error, and the status
# is 1; an export writes nothing from a file that gives no note.
set -u
cli="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "ÉCHEC : $*" >&2; exit 1; }

# Two notes (ticks 0-60 and 62-122 at 120 ticks per quarter note), then the file is cut inside
# the third note's event.
printf 'MThd\0\0\0\6\0\0\0\1\0\170MTrk\0\0\0\40\0\220<d<\200<\0\2\220<d<\200<\0\2\220' >"$work/cut.mid"
for c in notes image; do
  "$cli" $c "$work/cut.mid" >"$work/out" 2>"$work/err"; s=$?
  [ $s -eq 1 ] || fail "$c : statut $s pour un fichier tronqué"
  [ -s "$work/out" ] || fail "$c : rien de ce qui a été lu n'est écrit"
  grep -q "Fichier MIDI incomplet ou corrompu : fin de fichier inattendue" "$work/err" || fail "$c : message"
  grep -q "2 notes lues avant l'erreur sont gardées" "$work/err" || fail "$c : notes gardées"
done
[ "$("$cli" notes "$work/cut.mid" 2>/dev/null | wc -l)" -eq 4 ] || fail "notes lues"
"$cli" export "$work/cut.mid" -o "$work/cut-out.mid" >/dev/null 2>"$work/err"
[ $? -eq 1 ] || fail "export d'un fichier tronqué"
grep -q "Fichier MIDI incomplet" "$work/err" || fail "export : message"

# Not MIDI: nothing on standard output, no export.
printf 'RIFF\0\0\0\4WAVE' >"$work/son.mid"
for c in notes image; do
  "$cli" $c "$work/son.mid" >"$work/out" 2>"$work/err"; s=$?
  [ $s -eq 1 ] || fail "$c : statut $s pour un fichier non MIDI"
  [ ! -s "$work/out" ] || fail "$c : sortie pour un fichier non MIDI"
  grep -q "Ce fichier n'est pas un fichier MIDI : $work/son.mid" "$work/err" || fail "$c : message non MIDI"
done
"$cli" export "$work/son.mid" -o "$work/son-out.mid" >/dev/null 2>&1 && fail "export d'un fichier non MIDI"
[ ! -e "$work/son-out.mid" ] || fail "export écrit pour un fichier non MIDI"

# No note on the chosen channel.
printf 'MThd\0\0\0\6\0\0\0\1\0\170MTrk\0\0\0\14\0\220<d<\200<\0\0\377/\0' >"$work/a.mid"
"$cli" image "$work/a.mid" --channels 5 >"$work/out" 2>"$work/err" && fail "image sans note"
[ ! -s "$work/out" ] || fail "image sans note : sortie"
grep -q "Aucune note retenue dans ce fichier" "$work/err" || fail "message sans note"
"$cli" export "$work/a.mid" --channels 5 -o "$work/vide.mid" >/dev/null 2>&1 && fail "export sans note"
[ ! -e "$work/vide.mid" ] || fail "export écrit sans note"

# A silence of 2^28 ticks needs more filler records than the largest card holds: no image.
printf 'MThd\0\0\0\6\0\0\0\1\0\170MTrk\0\0\0\17\0\220<d\377\377\377\177\200<\0\0\377/\0' >"$work/long.mid"
"$cli" image "$work/long.mid" >"$work/out" 2>"$work/err" && fail "image trop longue acceptée"
[ ! -s "$work/out" ] || fail "image trop longue : sortie"
grep -q "Morceau trop long : il faut plus de 524288 octets" "$work/err" || fail "message trop long"

# Not files: refused at once (a FIFO without writer would block, /dev/zero never ends).
mkfifo "$work/tube"
mkdir "$work/dossier.mid"
for f in "$work/tube" "$work/dossier.mid" /dev/zero; do
  for c in listing notes image; do
    timeout 10 "$cli" $c "$f" >/dev/null 2>"$work/err"; s=$?
    [ $s -eq 1 ] || fail "$c $f : statut $s"
    grep -q "Ce n'est pas un fichier ordinaire" "$work/err" || fail "$c $f : message"
  done
done

# A format-2 file says its sequences are played together.
printf 'MThd\0\0\0\6\0\2\0\1\0\170MTrk\0\0\0\14\0\220<d<\200<\0\0\377/\0' >"$work/f2.mid"
"$cli" notes "$work/f2.mid" >/dev/null 2>"$work/err" || fail "format 2"
grep -q "Fichier MIDI de format 2 : ses séquences indépendantes sont jouées ensemble" "$work/err" ||
  fail "message du format 2"
echo ok
