#!/usr/bin/env bash
# solmir-cli's reader board settings against the in-process virtual board: params, set-params,
# eeprom and odometer, with their data on standard output and their refusals.
set -u
cli="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "ÉCHEC : $*" >&2; exit 1; }

"$cli" params --port virtual >"$work/out" 2>"$work/err" || fail "params"
grep -qx "ordre_sorties : Défaut" "$work/out" || fail "params : ordre des sorties"
grep -qx "version : 7.0" "$work/out" || fail "params : version"
[ "$(wc -l <"$work/out")" -eq 11 ] || fail "params : une ligne par paramètre"
"$cli" params --port virtual --version-letter m >"$work/out" 2>"$work/err" || fail "params v6.2"
grep -qx "version : 6.2" "$work/out" || fail "params : version 6.2"
grep -q "Les versions Solmir et arduino sont différentes" "$work/err" || fail "avertissement"

# A 29-32 order table (37 lines) and an instrument table (13 lines).
{ printf 'titre\n\n\n'; for i in $(seq 4 19); do echo 60; done; printf '\n\n'
  for i in $(seq 22 37); do echo 62; done; } >"$work/ordre.sor"
{ printf 'a\nb\nc\n'; for i in $(seq 1 10); do echo "$i"; done; } >"$work/instrus.txt"
"$cli" set-params --port virtual --sensor period:8 --order "29-32:$work/ordre.sor" \
  --instruments "$work/instrus.txt" --mute on --midi-out TX >"$work/out" 2>"$work/err" \
  || fail "set-params : $(cat "$work/err")"
for l in "periode : 8" "ordre_sorties : Table 29-32" "instruments : Liste perso" \
         "mute_rf : 1" "sortie_midi : TX"; do
  grep -qx "$l" "$work/out" || fail "set-params : $l"
done
grep -q "Chargement table d'ordre des sorties 29-32" "$work/err" || fail "message de la table"

"$cli" set-params --port virtual --reset >"$work/out" 2>"$work/err" || fail "set-params --reset"
grep -q "Paramètres de l'Atmega réinitialisés" "$work/err" || fail "message de --reset"
grep -qx "sortie_midi : D9" "$work/out" || fail "--reset : sortie D9"

# A table file that cannot be read: said, and the command fails.
printf '60\n' >"$work/court.sor"
"$cli" set-params --port virtual --order "42-45:$work/court.sor" >"$work/out" 2>"$work/err"
[ $? -eq 1 ] || fail "table illisible acceptée"
grep -q "Fichier de table 42-45 notes non compatible" "$work/err" || fail "message non compatible"
grep -q "La carte n'a pas pris : --order" "$work/err" || fail "refus de la table"
"$cli" set-params --port virtual --sensor period:300 >/dev/null 2>"$work/err"
[ $? -eq 1 ] || fail "période 300 acceptée"
grep -q "La période n doit être un nombre entier de 1 à 256" "$work/err" || fail "message période"
"$cli" set-params --port virtual --sensor vite >/dev/null 2>&1
[ $? -eq 2 ] || fail "--sensor inconnu"

[ "$("$cli" eeprom --port virtual --read 77 2>/dev/null)" = "255" ] || fail "eeprom --read"
[ "$("$cli" eeprom --port virtual --read 5 --write 66 2>/dev/null)" = "66" ] \
  || fail "eeprom --write (66 arrive comme la lettre B)"
"$cli" eeprom --port virtual --write 3 >/dev/null 2>&1; [ $? -eq 2 ] || fail "--write sans --read"
"$cli" eeprom --port virtual --read 5 --write 300 >/dev/null 2>"$work/err"
[ $? -eq 1 ] || fail "octet 300 accepté"
grep -q "La valeur d'un octet doit être comprise entre 0 et 255" "$work/err" || fail "message octet"

[ "$("$cli" odometer --port virtual 2>/dev/null)" = "24" ] || fail "odometer"
[ "$("$cli" odometer --port virtual --set 30 2>/dev/null)" = "30" ] || fail "odometer --set"
"$cli" odometer --port virtual --silent-after-lines 0 >/dev/null 2>"$work/err"
[ $? -eq 1 ] || fail "carte muette"
grep -q "La carte arduino ne répond pas" "$work/err" || fail "message carte muette"
echo ok
