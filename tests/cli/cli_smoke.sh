#!/usr/bin/env bash
# solmir-cli as a user meets it: help, data on standard output, messages on standard error,
# exit statuses.
set -u
cli="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "ÉCHEC : $*" >&2; exit 1; }

"$cli" --help >"$work/help" || fail "--help"
for c in listing notes; do grep -q "solmir-cli $c" "$work/help" || fail "--help ne cite pas $c"; done

# A note from tick 960 to 1440 at 480 ticks per quarter note.
printf 'MThd\0\0\0\6\0\0\0\1\1\340MTrk\0\0\0\r\207@\220<d\203`\200<\0\0\377/\0' >"$work/a.mid"
"$cli" listing "$work/a.mid" >"$work/out" 2>"$work/err" || fail "listing a échoué"
[ "$(sed -n 1p "$work/out")" = "NOTE 0001000 001440 00001 00060 00500 00100 C3" ] || fail "ligne NOTE"
[ ! -s "$work/err" ] || fail "listing écrit sur stderr"

# A truncated file: the lines read so far, the message on stderr, status 1.
head -c 28 "$work/a.mid" >"$work/t.mid"
"$cli" listing "$work/t.mid" >"$work/out" 2>"$work/err"
[ $? -eq 1 ] || fail "statut d'un fichier tronqué"
grep -q "unexpected EOF" "$work/err" || fail "message d'erreur"

"$cli" notes "$work/a.mid" >"$work/out" 2>"$work/err" || fail "notes"
[ "$(cat "$work/out")" = "$(printf '0000240 00060 NOTE \n0000360 00060 NOOF ')" ] || fail "liste des notes"
grep -q "Désassemblage du fichier midi" "$work/err" || fail "messages de service"

"$cli" notes "$work/a.mid" --speed vite >/dev/null 2>"$work/err" && fail "vitesse non numérique acceptée"
grep -q "La vitesse ne contient pas un nombre" "$work/err" || fail "message vitesse"
"$cli" notes "$work/absent.mid" >/dev/null 2>&1 && fail "fichier absent accepté"
"$cli" inconnue >/dev/null 2>&1; [ $? -eq 2 ] || fail "commande inconnue"
echo ok
