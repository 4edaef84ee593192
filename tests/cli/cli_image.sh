#!/usr/bin/env bash
# solmir-cli image and export: the records alone on standard output, the messages and the
# summary on standard error, the exported file read back by midicsv; notes with the passes.
set -u
cli="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "ÉCHEC : $*" >&2; exit 1; }

# Note 60 from tick 0 to 60 at 120 ticks per quarter note (one card tick each), then note 60
# again from 62 to 122.
printf 'MThd\0\0\0\6\0\0\0\1\0\170MTrk\0\0\0\24\0\220<d<\200<\0\2\220<d<\200<\0\0\377/\0' \
  >"$work/a.mid"

"$cli" image "$work/a.mid" >"$work/out" 2>"$work/err" || fail "image a échoué"
[ "$(sed -n 1p "$work/out")" = "0011001000000000000000000000000000100000" ] || fail "1er enregistrement"
[ "$(wc -l <"$work/out")" -eq 4 ] || fail "nombre d'enregistrements"
grep -qv '^[01]\{40\}$' "$work/out" && fail "autre chose que des enregistrements sur stdout"
grep -q "Création du fichier carte" "$work/err" || fail "messages de service"
grep -q "Image de la carte : 4 enregistrements, 30 octets" "$work/err" || fail "résumé"

"$cli" image "$work/a.mid" --scale 32 --marks >"$work/out" 2>/dev/null || fail "image 32 notes"
[ "$(sed -n 1p "$work/out" | cut -c1-8)" = "10011010" ] || fail "motif de départ 32 notes"
"$cli" image "$work/a.mid" --scale 42 >"$work/out" 2>/dev/null || fail "image 42 notes"
grep -qv '^[01]\{56\}$' "$work/out" && fail "enregistrements de 42 notes"
"$cli" image "$work/a.mid" --demo --scale 32 >"$work/out" 2>"$work/err" || fail "image démo"
[ "$(sed -n 1p "$work/out" | cut -c1-11)" = "00000101000" ] || fail "délai de la démo"
grep -qv '^[01]\{40\}$' "$work/out" && fail "démo hors du format 27/29"
grep -q "Taille :  20 octets. Cliquer Programmer" "$work/err" || fail "message de la démo"

# The separation pass: the first release moves 2 ticks earlier (S = 4).
"$cli" notes "$work/a.mid" --separate 4 >"$work/out" 2>"$work/err" || fail "notes --separate"
[ "$(sed -n 2p "$work/out")" = "0000058 00060 NOOF" ] || fail "séparation"
grep -q "Séparation des notes distantes de moins de 4 temps" "$work/err" || fail "message séparation"
"$cli" notes "$work/a.mid" --align 2 >"$work/out" 2>"$work/err" || fail "notes --align"
grep -q "Ré-alignement des notes décalées de 2 temps" "$work/err" || fail "message alignement"

"$cli" export "$work/a.mid" -o "$work/b.mid" >"$work/out" 2>"$work/err" || fail "export a échoué"
[ ! -s "$work/out" ] || fail "export écrit sur stdout"
grep -q "Sauvegarde au format midi effectuée" "$work/err" || fail "message d'export"
if command -v midicsv >/dev/null; then
  midicsv "$work/b.mid" >"$work/csv" 2>"$work/err" || fail "midicsv refuse l'export"
  grep -q "^1, 400, Note_on_c, 0, 60, 100$" "$work/csv" || fail "note de l'export"
fi
"$cli" image "$work/b.mid" >"$work/again" 2>/dev/null || fail "réimport"
"$cli" image "$work/a.mid" 2>/dev/null | cmp -s - "$work/again" || fail "réimport différent"

"$cli" export "$work/a.mid" >/dev/null 2>&1; [ $? -eq 2 ] || fail "export sans -o"
"$cli" export "$work/a.mid" -o "$work/absent/b.mid" >/dev/null 2>"$work/err"
[ $? -eq 1 ] || fail "statut d'un export impossible"
grep -q "Échec de la sauvegarde au format midi" "$work/err" || fail "message d'échec"
"$cli" image "$work/a.mid" --delay cent >/dev/null 2>"$work/err" && fail "délai non numérique"
grep -q "Le délai initial ne contient pas un nombre" "$work/err" || fail "message délai"
"$cli" --help | grep -q "solmir-cli image" || fail "--help ne cite pas image"
"$cli" --help | grep -q "solmir-cli export" || fail "--help ne cite pas export"
echo ok
