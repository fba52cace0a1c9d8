#!/usr/bin/env bash
# Loads far beyond everyday use, run on a release build:
#   - one line of just over 2 GiB whose double quotes both lie beyond the
#     2 GiB mark: the text between them must be listed byte for byte;
#   - ten million appended lines, listed and searched.
# usage: stress.sh SCRIVET
set -euo pipefail
scrivet=$1
# shellcheck source=tests/lib.sh
source "$(dirname "$0")/lib.sh"

# timed LABEL COMMAND...: runs COMMAND, then reports its time and peak memory.
timed() {
  local label=$1
  shift
  if [[ -x /usr/bin/time ]]; then
    /usr/bin/time -f "$label: %e s, peak memory %M KiB" "$@"
  else
    "$@"
  fi
}

# The text: every byte value but newline and double quote, 16 times over.
quotable_bytes "$work/block" 4

filler=$(((1 << 31) + 4096))  # bytes before the opening quote
{
  printf 'insertEnd '
  head -c "$filler" /dev/zero | tr '\0' x
  printf '"'
  cat "$work/block"
  printf '" and what follows the closing quote\nprint\n'
} | timed "a line of $((filler + 4096 + 50)) bytes" "$scrivet" >"$work/out"
{ printf '1 '; cat "$work/block"; printf '\n'; } >"$work/want"
cmp "$work/out" "$work/want"
echo "ok: the quoted text past the 2 GiB mark came back byte for byte"

lines=10000000
awk -v n=$lines 'BEGIN {
  for (i = 1; i <= n; i++) printf "insertEnd \"line %d.\"\n", i
  print "search \"line 7654321.\""
  print "print"
}' | timed "$lines lines" "$scrivet" >"$work/out"
awk -v n=$lines 'BEGIN {
  print "7654321 line 7654321."
  for (i = 1; i <= n; i++) printf "%d line %d.\n", i, i
}' | cmp "$work/out" -
echo "ok: $lines lines appended, searched and listed"
