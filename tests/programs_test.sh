#!/usr/bin/env bash
# Runs the built programs as a user does: every recorded session on standard
# input (exact stdout bytes, empty stderr, status 0), then the failures a
# pipe or a terminal can bring: unreadable or closed stdin, full disk,
# broken pipe.
# usage: programs_test.sh SCRIVET SCRIVET_PROMPT SESSIONS_DIR
set -u
scrivet=$1 prompt=$2 sessions=$3
# shellcheck source=tests/lib.sh
source "$(dirname "$0")/lib.sh"

# check NAME WANT_STATUS WANT_STDOUT_FILE WANT_STDERR -- COMMAND...
# Runs COMMAND with the stdin already set up by the caller.
check() {
  local name=$1 want_status=$2 want_out=$3 want_err=$4
  shift 5
  "$@" >"$work/out" 2>"$work/err"
  local status=$?
  [[ $status == "$want_status" ]] || fail "$name: exit status $status, expected $want_status"
  if ! cmp -s "$work/out" "$want_out"; then
    fail "$name: stdout differs from $want_out (- expected, + written):"
    diff -u "$want_out" "$work/out" | sed -n '3,12p'
  fi
  [[ $(cat "$work/err") == "$want_err" ]] || fail "$name: stderr was '$(cat "$work/err")'"
}

count=0
for program in scrivet scrivet-prompt; do
  binary=$scrivet
  [[ $program == scrivet-prompt ]] && binary=$prompt
  for input in "$sessions/$program"/*.in; do
    # The session's input is read and its recorded output compared, never written.
    # shellcheck disable=SC2094
    check "$program/$(basename "$input" .in)" 0 "${input%.in}.out" "" -- "$binary" <"$input"
    count=$((count + 1))
  done
done
((count >= 40)) || fail "only $count sessions were found in $sessions"

# Standard input that cannot be read is a failure, not an empty session: a
# directory, a closed descriptor.
: >"$work/empty"
printf 'Enter a User Command\n' >"$work/greeting"
check "scrivet, stdin a directory" 1 "$work/empty" "scrivet: read error: Is a directory" -- \
  "$scrivet" </
check "scrivet-prompt, stdin a directory" 1 "$work/greeting" \
  "scrivet-prompt: read error: Is a directory" -- "$prompt" </
check "scrivet, stdin closed" 1 "$work/empty" "scrivet: read error: Bad file descriptor" -- \
  "$scrivet" <&-
check "scrivet-prompt, stdin closed" 1 "$work/greeting" \
  "scrivet-prompt: read error: Bad file descriptor" -- "$prompt" <&-

# A full disk is a failure, reported once; nothing is read after it.
printf 'insertEnd "a"\nprint\n' >"$work/print"
"$scrivet" <"$work/print" >/dev/full 2>"$work/err"
status=$?
[[ $status == 1 ]] || fail "scrivet to /dev/full: status $status"
[[ $(cat "$work/err") == "scrivet: write error: No space left on device" ]] ||
  fail "scrivet to /dev/full: stderr '$(cat "$work/err")'"
printf 'print\n' | "$prompt" >/dev/full 2>"$work/err"
status=$?
[[ $status == 1 ]] || fail "scrivet-prompt to /dev/full: status $status"
[[ $(cat "$work/err") == "scrivet-prompt: write error: No space left on device" ]] ||
  fail "scrivet-prompt to /dev/full: stderr '$(cat "$work/err")'"

# No output at all cannot fail, even to /dev/full.
printf 'insertEnd "a"\nquit\n' | "$scrivet" >/dev/full 2>"$work/err" ||
  fail "scrivet without output to /dev/full failed"

# A reader that goes away. The listing is far larger than a pipe holds, so
# the writer must meet the closed end. By default SIGPIPE ends the program
# quietly, as it does any filter (status 128 + 13); with SIGPIPE ignored the
# write fails with EPIPE, which is reported.
yes 'insertEnd "a line of some thirty bytes"' | head -n 50000 >"$work/big"
echo print >>"$work/big"
for program in scrivet scrivet-prompt; do
  binary=$scrivet
  [[ $program == scrivet-prompt ]] && binary=$prompt
  env --default-signal=PIPE "$binary" <"$work/big" 2>"$work/err" | head -c 10 >/dev/null
  status=${PIPESTATUS[0]}
  [[ $status == 141 && ! -s $work/err ]] ||
    fail "$program into a closed pipe: status $status, stderr '$(cat "$work/err")'"
  env --ignore-signal=PIPE "$binary" <"$work/big" 2>"$work/err" | head -c 10 >/dev/null
  status=${PIPESTATUS[0]}
  [[ $status == 1 && $(cat "$work/err") == "$program: write error: Broken pipe" ]] ||
    fail "$program into a closed pipe, SIGPIPE ignored: status $status, stderr '$(cat "$work/err")'"
done

if ((failures > 0)); then
  echo "$failures failure(s)"
  exit 1
fi
echo "all $count sessions and failure cases passed"
