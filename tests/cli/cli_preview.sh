#!/usr/bin/env bash
# solmir-cli preview, notes --dropped and --transpose: the pictures written, the dropped notes
# listed and summed, the transposition applied and chosen.
set -u
cli="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "ÉCHEC : $*" >&2; exit 1; }

# 120 ticks per quarter note: note 61 (C#3, not in the base scale) from tick 0 to 60, then
# note 60 from 62 to 122.
printf 'MThd\0\0\0\6\0\0\0\1\0\170MTrk\0\0\0\24\0\220=d<\200=\0\2\220<d<\200<\0\0\377/\0' \
  >"$work/a.mid"

"$cli" notes "$work/a.mid" --dropped >"$work/out" 2>"$work/err" || fail "notes --dropped"
[ "$(cat "$work/out")" = "0000000 00061 C#3" ] || fail "note hors gamme : $(cat "$work/out")"
grep -q "^1 note hors gamme : C#3 ×1$" "$work/err" || fail "résumé des notes hors gamme"
"$cli" image "$work/a.mid" >/dev/null 2>"$work/err" || fail "image"
grep -q "^1 note hors gamme : C#3 ×1$" "$work/err" || fail "résumé de image"

# One up: 62 and 61 (one kept); four up, 65 and 64, is the nearest shift that keeps both.
"$cli" notes "$work/a.mid" --transpose 1 >"$work/out" 2>/dev/null || fail "--transpose 1"
[ "$(sed -n 1p "$work/out")" = "0000000 00062 NOTE " ] || fail "transposition +1"
"$cli" notes "$work/a.mid" --transpose auto >"$work/out" 2>"$work/err" || fail "--transpose auto"
grep -q "Meilleure transposition : +4 demi-tons, 1 note sauvée" "$work/err" || fail "meilleure"
[ "$(sed -n 1p "$work/out")" = "0000000 00065 NOTE " ] || fail "liste sous la meilleure"
"$cli" notes "$work/a.mid" --transpose 25 >/dev/null 2>&1
[ $? -eq 2 ] || fail "--transpose 25 accepté"
# No transposition: the note list of today.
"$cli" notes "$work/a.mid" --transpose 0 >"$work/t0" 2>/dev/null || fail "--transpose 0"
"$cli" notes "$work/a.mid" >"$work/none" 2>/dev/null || fail "notes"
cmp -s "$work/t0" "$work/none" || fail "--transpose 0 change la liste"

"$cli" preview "$work/a.mid" -o "$work/c.png" --width 800 2>"$work/err" || fail "preview png"
[ "$(head -c 8 "$work/c.png" | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ] || fail "PNG"
"$cli" preview "$work/a.mid" -o "$work/c.svg" --scale 42 2>/dev/null || fail "preview svg"
grep -q "<svg" "$work/c.svg" || fail "SVG"
"$cli" preview "$work/a.mid" -o "$work/c.gif" >/dev/null 2>&1
[ $? -eq 2 ] || fail "format inconnu accepté"
"$cli" preview "$work/a.mid" -o "$work/c.png" --width 10 >/dev/null 2>&1
[ $? -eq 2 ] || fail "largeur refusée"
"$cli" preview "$work/absent.mid" -o "$work/d.png" >/dev/null 2>&1
[ $? -eq 1 ] || fail "fichier absent"
[ ! -e "$work/d.png" ] || fail "image écrite après un échec"
echo "cli_preview : ok"
