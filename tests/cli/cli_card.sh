#!/usr/bin/env bash
# solmir-cli program, read, copy, erase and test-card on virtual cards kept in files: what
# each writes where, the questions and --yes, the demo, the statuses and the usage errors.
set -u
cli="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "ÉCHEC : $*" >&2; exit 1; }

# Note 60 from tick 0 to 60, then again from 62 to 122 (120 ticks per quarter note).
printf 'MThd\0\0\0\6\0\0\0\1\0\170MTrk\0\0\0\24\0\220<d<\200<\0\2\220<d<\200<\0\0\377/\0' \
  >"$work/a.mid"
card="$work/carte.bin"

"$cli" program "$work/a.mid" --slot A --port virtual --card "$card" --title Valse \
  >"$work/out" 2>"$work/err" || fail "program a échoué"
[ ! -s "$work/out" ] || fail "program écrit sur stdout"
grep -q "Programmation terminée" "$work/err" || fail "fin de programmation"
grep -q "Programmation : 100 %" "$work/err" || fail "progression"
[ "$(stat -c %s "$card")" -eq 32768 ] || fail "fichier de carte"
"$cli" info --port virtual --card "$card" 2>/dev/null | grep -qx 'A : 48 octets "Valse     "' ||
  fail "infos après programmation"

# The records read back are the image's.
"$cli" image "$work/a.mid" >"$work/image" 2>/dev/null
"$cli" read --slot A --port virtual --card "$card" >"$work/out" 2>"$work/err" || fail "read"
cmp -s "$work/image" "$work/out" || fail "relecture différente de l'image"
grep -q 'Morceau A : 4 enregistrements en 27/29 notes, titre "Valse     "' "$work/err" ||
  fail "résumé de la relecture"
"$cli" read --slot A --port virtual --card "$card" -o "$work/b.mid" >"$work/out" 2>/dev/null ||
  fail "read -o"
[ ! -s "$work/out" ] || fail "read -o écrit sur stdout"
"$cli" image "$work/b.mid" 2>/dev/null | cmp -s - "$work/image" || fail "export de la relecture"

# Overwriting A is asked: no answer (or "n") keeps the card, --yes goes on.
before=$(md5sum <"$card")
"$cli" program "$work/a.mid" --slot A --port virtual --card "$card" --scale 42 \
  </dev/null >/dev/null 2>"$work/err"
[ $? -eq 1 ] || fail "statut d'un refus"
grep -q "Attention le morceau A est déjà programmé" "$work/err" || fail "question"
[ "$(md5sum <"$card")" = "$before" ] || fail "carte changée malgré le refus"
echo n | "$cli" program "$work/a.mid" --slot A --port virtual --card "$card" >/dev/null 2>&1
[ $? -eq 1 ] || fail "refus par n"
"$cli" program "$work/a.mid" --slot A --port virtual --card "$card" --scale 42 --yes \
  >/dev/null 2>&1 || fail "program --yes"
"$cli" info --port virtual --card "$card" 2>/dev/null | grep -q '^A(42) : 48 octets' ||
  fail "piece A en 42 notes"

# B needs a piece A; the demo goes to its own area.
"$cli" program "$work/a.mid" --slot B --port virtual --card "$work/vide.bin" >/dev/null \
  2>"$work/err"
[ $? -eq 1 ] || fail "B sans A"
grep -q "Le morceau A est absent" "$work/err" || fail "message B sans A"
"$cli" program "$work/a.mid" --slot demo --port virtual --card "$card" --yes >/dev/null \
  2>"$work/err" || fail "programmation de la démo"
grep -q "Programmation démo en cours" "$work/err" && fail "ligne d'état répétée"
"$cli" info --port virtual --card "$card" 2>/dev/null | grep -q '^B : 30 octets Sans titre (\*)' ||
  fail "démo dans les infos"

# Copy A of this card to B of another that holds a piece A, then within that card.
"$cli" program "$work/a.mid" --slot A --port virtual --card "$work/autre.bin" --title Autre \
  >/dev/null 2>&1 || fail "carte cible"
"$cli" copy --slot A --port virtual --card "$card" --to-slot B --to-card "$work/autre.bin" \
  >"$work/out" 2>"$work/err" || fail "copy"
grep -q "Insérer la carte cible dans le lecteur" "$work/err" || fail "message de copie"
"$cli" info --port virtual --card "$work/autre.bin" 2>/dev/null >"$work/out"
grep -qx 'A : 48 octets "Autre     "' "$work/out" || fail "A de la cible"
grep -qx 'B(42) : 38 octets "a.mid     "' "$work/out" || fail "B de la cible"

# Erase and test.
"$cli" erase --port virtual --card "$work/autre.bin" </dev/null >/dev/null 2>&1
[ $? -eq 1 ] || fail "effacement sans réponse"
"$cli" erase --port virtual --card "$work/autre.bin" --yes >/dev/null 2>"$work/err" ||
  fail "erase"
grep -q "Effacement terminé" "$work/err" || fail "message d'effacement"
"$cli" info --port virtual --card "$work/autre.bin" 2>/dev/null | grep -qx 'A : 0 octets' ||
  fail "carte effacée"
"$cli" test-card --port virtual --yes >/dev/null 2>"$work/err" || fail "test-card"
grep -q "Test carte OK" "$work/err" || fail "message de test"
"$cli" test-card --port virtual --defective --yes >/dev/null 2>"$work/err"
[ $? -eq 1 ] || fail "statut d'une carte défectueuse"
grep -q "Carte défectueuse" "$work/err" || fail "message de carte défectueuse"
"$cli" read --slot A --port virtual --no-card >/dev/null 2>"$work/err"
[ $? -eq 1 ] || fail "lecture sans carte"
grep -q "Carte muette ou absente" "$work/err" || fail "message sans carte"

# Usage errors.
for args in "program $work/a.mid --port virtual" "program $work/a.mid --slot C --port virtual" \
  "read --slot A" "copy --slot A --port virtual" "erase" "erase --port virtual --bogus 1" \
  "read --slot A --port /dev/null --card x"; do
  # shellcheck disable=SC2086
  "$cli" $args >/dev/null 2>&1
  [ $? -eq 2 ] || fail "statut 2 attendu : $args"
done
"$cli" program "$work/a.mid" --slot A --port "$work/nulle-part" >/dev/null 2>"$work/err"
[ $? -eq 1 ] || fail "port absent"
grep -q "Numéro de port non valide ou module non connecté" "$work/err" || fail "message du port"

# A board that goes away at any point of the programming, the last title line included:
# status 1, never "Programmation terminée". (PRACP, the block's 8 acknowledgements, PRgCP,
# the signature, the count, one data line, TitrA, the first title line: 15 lines.)
for lines in 5 12 14 15; do
  "$cli" program "$work/a.mid" --slot A --port virtual --disconnect-after-lines "$lines" --yes \
    >/dev/null 2>"$work/err"
  [ $? -eq 1 ] || fail "port perdu après $lines lignes : statut 1 attendu"
  grep -q "Programmation terminée" "$work/err" && fail "port perdu après $lines lignes : terminée"
  grep -q "La carte arduino ne répond pas" "$work/err" || fail "port perdu après $lines lignes"
done
# An erase whose size digit comes garbled: said as it is, status 1.
"$cli" erase --port virtual --wrong-answer-at 1 --yes >/dev/null 2>"$work/err"
[ $? -eq 1 ] || fail "effacement à réponse inattendue : statut 1 attendu"
grep -q "Réponse inattendue de la carte" "$work/err" || fail "message de réponse inattendue"
grep -q "Carte muette ou absente" "$work/err" && fail "effacement à réponse inattendue : pas de carte"
exit 0
