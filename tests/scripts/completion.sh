#!/usr/bin/env bash
# The bash completion against the tool itself: every command it offers is one the tool has, with the
# same options its --help lists (so that a new option cannot be forgotten in either), and the sensors
# and speeds are the ones the tool takes.
set -euo pipefail
completion=$1 cli=$2
# shellcheck source=/dev/null
source "$completion"
offered() { COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _veltaro_cli; printf '%s\n' "${COMPREPLY[@]}" | sort; }
commands=$(offered veltaro-cli "" | grep -v -- '^--')
[ "$(echo "$commands" | wc -l)" -eq 6 ] || { echo "commands offered: $commands"; exit 1; }
for command in $commands; do
  given=$(offered veltaro-cli "$command" "--" | grep -v -- '--help')
  listed=$("$cli" "$command" --help | grep -oE '^  (-h, )?--[a-z-]+' | sed 's/.*--/--/' | grep -v -- '--help' | sort)
  [ "$given" = "$listed" ] || { printf '%s: offered\n%s\nlisted\n%s\n' "$command" "$given" "$listed"; exit 1; }
done
[ "$(offered veltaro-cli monitor "" | grep -v -- '^--' | tr '\n' ' ')" = "neop printer " ]
{ "$cli" calibrate paper 2>&1 || true; } | grep -q 'one of printer neop' # the tool's own sensors
[ "$(offered veltaro-cli detect --speed "" | wc -l)" -eq 9 ]
offered veltaro-cli detect --port COM | grep -qx COM6
echo "completion: the commands and options of veltaro-cli"
