#!/usr/bin/env bash
# Large and hostile inputs through the built programs: a million-line
# document listed, searched and released, and a 64 MiB line holding every
# byte but the newline (NUL, CR, ESC, 0xFF among them) that must come back
# byte for byte.
# usage: big_inputs_test.sh SCRIVET SCRIVET_PROMPT
set -u
scrivet=$1 prompt=$2
# shellcheck source=tests/lib.sh
source "$(dirname "$0")/lib.sh"

# expect NAME WANT_FILE -- COMMAND...: stdout equal to WANT_FILE, status 0.
expect() {
  local name=$1 want=$2
  shift 3
  "$@" >"$work/out" 2>"$work/err"
  local status=$?
  ((status == 0)) || fail "$name: exit status $status: $(head -c 300 "$work/err")"
  cmp -s "$work/out" "$want" || fail "$name: output differs ($(cmp "$work/out" "$want" 2>&1))"
}

# A million lines: appended, searched for one of them, listed, released.
lines=1000000
awk -v n=$lines 'BEGIN {
  for (i = 1; i <= n; i++) printf "insertEnd \"line %d of a long document\"\n", i
  print "search \"line 999999 \""
  print "print"
  print "quit"
}' >"$work/million.in"
awk -v n=$lines 'BEGIN {
  print "999999 line 999999 of a long document"
  for (i = 1; i <= n; i++) printf "%d line %d of a long document\n", i, i
}' >"$work/million.out"
expect "scrivet, a million lines" "$work/million.out" -- "$scrivet" <"$work/million.in"

awk -v n=$lines 'BEGIN {
  for (i = 1; i <= n; i++) printf "insertEnd entry %d\n", i
  print "print quit"
}' >"$work/million-prompt.in"
awk -v n=$lines 'BEGIN {
  printf "Enter a User Command\n\n\n"
  for (i = n; i >= 1; i--) printf "%d  entry %d\n\n", i, i
  printf "0 \n\n"
}' >"$work/million-prompt.out"
expect "scrivet-prompt, a million entries" "$work/million-prompt.out" -- \
  "$prompt" <"$work/million-prompt.in"

# 64 MiB of every byte value but newline and double quote.
quotable_bytes "$work/block" 18
size=$(wc -c <"$work/block")
((size == 254 << 18)) || fail "byte block has $size bytes"
head -c $((64 << 20)) "$work/block" >"$work/payload"

{ printf 'insertEnd "'; cat "$work/payload"; printf '"\nprint\n'; } >"$work/wide.in"
{ printf '1 '; cat "$work/payload"; printf '\n'; } >"$work/wide.out"
expect "scrivet, a 64 MiB line" "$work/wide.out" -- "$scrivet" <"$work/wide.in"

{ printf 'insertEnd '; cat "$work/payload"; printf '\nprint\n'; } >"$work/wide-prompt.in"
{ printf 'Enter a User Command\n\n\n1  '; cat "$work/payload"; printf '\n\n0 \n\n'; } \
  >"$work/wide-prompt.out"
expect "scrivet-prompt, a 64 MiB line" "$work/wide-prompt.out" -- \
  "$prompt" <"$work/wide-prompt.in"

finish "big inputs: all passed"
