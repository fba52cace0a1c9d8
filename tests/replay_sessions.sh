#!/usr/bin/env bash
# Runs both programs of a build under an emulator, as make cross-check does
# for its cross builds, on every session of each DIR, laid out as
# tests/sessions is: each NAME.in of DIR/scrivet and DIR/scrivet-prompt on
# standard input must write exactly NAME.out, nothing on standard error,
# and end with status 0. A DIR without sessions for a program fails too, and
# a program that the emulator cannot run stops it before any session. Then
# the key search's own checks, hard and exhaustive, run under the emulator
# too: sessions alone do not reach every edge of its vector code.
# usage: replay_sessions.sh EMULATOR BUILD_DIR DIR...
set -u
emulator=$1 build=$2
shift 2
# shellcheck source=tests/lib.sh
source "$(dirname "$0")/lib.sh"

command -v "$emulator" >/dev/null || {
  echo "$emulator was not found: install it first (Debian: sudo apt-get install qemu-user)" >&2
  exit 1
}
# Each program must start under the emulator before any session is replayed.
for program in scrivet scrivet-prompt; do
  binary=$build/$program/$program
  [[ -x $binary ]] || { echo "$binary was not built" >&2; exit 1; }
  if ! "$emulator" "$binary" </dev/null >/dev/null 2>"$work/err" || [[ -s $work/err ]]; then
    echo "$emulator cannot run $binary: $(cat "$work/err")" >&2
    exit 1
  fi
done

count=0 counts=()
for dir in "$@"; do
  before=$count
  for program in scrivet scrivet-prompt; do
    replayed=$count
    for input in "$dir/$program"/*.in; do
      [[ -f $input ]] || continue
      # The session's input is read and its recorded output compared, never written.
      # shellcheck disable=SC2094
      check "$emulator ${input%.in}" 0 "${input%.in}.out" "" -- \
        "$emulator" "$build/$program/$program" <"$input"
      count=$((count + 1))
    done
    ((count > replayed)) || fail "no sessions in $dir/$program"
  done
  counts+=("$((count - before)) of $dir")
done
searches=$build/tests/scrivet_key_search_tests
[[ -x $searches ]] || fail "$searches was not built"
for checks in hard exhaustive; do
  "$emulator" "$searches" "$checks" >"$work/out" 2>&1 || fail "$emulator $searches $checks: $(tail -n 5 "$work/out")"
done
finish "$emulator $build: the key search's checks passed, every session wrote its output exactly, ${counts[*]/%/,} $count in all"
