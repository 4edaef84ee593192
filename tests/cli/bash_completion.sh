#!/usr/bin/env bash
# The bash completion of solmir-cli offers every command of `solmir-cli --help`, and for each
# command every option its usage names (with the preparation options where it takes them).
set -u
cli="$1"
completion="$2"
fail() { echo "ÉCHEC : $*" >&2; exit 1; }

shopt -s extglob
# shellcheck source=/dev/null
source "$completion" || fail "le fichier de complétion ne se charge pas"
offers() {  # offers WORD...: what completing the last word gives
  COMP_WORDS=(solmir-cli "$@")
  COMP_CWORD=$(($# ))
  COMPREPLY=()
  _solmir_cli
  printf '%s\n' "${COMPREPLY[@]}"
}

help=$("$cli" --help) || fail "--help"
prepare=$(sed -n '/^Options de préparation/,/^$/p' <<<"$help" | grep -o -- '--[a-z-]*' | sort -u)
[ -n "$prepare" ] || fail "--help ne donne pas les options de préparation"

# One block per command: its line "  solmir-cli NAME ..." and the indented lines after it.
commands=$(grep -o '^  solmir-cli [a-z-]*' <<<"$help" | awk '{print $2}')
[ "$(wc -l <<<"$commands")" -ge 10 ] || fail "trop peu de commandes dans --help"
for c in $commands; do
  offers "" | grep -qx "$c" || fail "la commande $c n'est pas proposée"
  usage=$(awk -v c="$c" '$1 == "solmir-cli" && $2 == c {on = 1; print; next}
                         on && /^        / {print; next} {on = 0}' <<<"$help")
  wanted=$(grep -o -- ' -o \|--[a-z][a-z-]*' <<<"$usage" | tr -d ' ' | sort -u)
  if grep -q "options de préparation" <<<"$usage"; then wanted+=$'\n'$prepare; fi
  given=$(offers "$c" -)
  for o in $wanted; do
    grep -qx -- "$o" <<<"$given" || fail "$c : l'option $o n'est pas proposée"
  done
done

# Values that are words.
[ "$(offers program --scale "" | sort | tr '\n' ' ')" = "29 32 42 percussion " ] || fail "--scale"
[ "$(offers read --slot "" | sort | tr '\n' ' ')" = "A B demo " ] || fail "--slot"
offers info --port v | grep -qx virtual || fail "--port virtual"
echo "Complétion bash vérifiée"
