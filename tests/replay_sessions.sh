#!/usr/bin/env bash
# Runs both programs of a build under an emulator, as make cross-check does
# for its cross builds, on every session of each DIR, laid out as
# tests/sessions is: each NAME.in of DIR/scrivet and DIR/scrivet-prompt on
# standard input must write exactly NAME.out, nothing on standard error,
# and end with status 0. A DIR without sessions for a program fails too.
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
for program in scrivet scrivet-prompt; do
  [[ -x $build/$program/$program ]] || { echo "$build/$program/$program was not built" >&2; exit 1; }
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
finish "$emulator $build: every session wrote its output exactly, ${counts[*]/%/,} $count in all"
