#!/usr/bin/env bash
# Runs the built programs as a user does: every recorded session on standard
# input (exact stdout bytes, empty stderr, status 0), then the failures a
# pipe or a terminal can bring: full disk, broken pipe, closed stdin.
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
  cmp -s "$work/out" "$want_out" || fail "$name: stdout differs from $want_out"
  [[ $(cat "$work/err") == "$want_err" ]] || fail "$name: stderr was '$(cat "$work/err")'"
}

count=0
for program in scrivet scrivet-prompt; do
  binary=$scrivet
  [[ $program == scrivet-prompt ]] && binary=$prompt
  for input in "$sessions/$program"/*.in; do
    check "$program/$(basename "$input" .in)" 0 "${input%.in}.out" "" -- "$binary" <"$input"
    count=$((count + 1))
  done
done
((count >= 40)) || fail "only $count sessions were found in $sessions"

# Closed standard input reads as an empty one.
: >"$work/empty"
check "scrivet, stdin closed" 0 "$work/empty" "" -- "$scrivet" <&-
printf 'Enter a User Command\n' >"$work/greeting"
check "scrivet-prompt, stdin closed" 0 "$work/greeting" "" -- "$prompt" <&-

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

# A reader that goes away: with SIGPIPE ignored the write fails with EPIPE.
# The listing is far larger than a pipe holds, so the writer must meet the
# closed end.
for ((i = 0; i < 50000; i++)); do echo 'insertEnd "a line of some thirty bytes"'; done >"$work/big"
echo print >>"$work/big"
(
  trap '' PIPE
  "$scrivet" <"$work/big" 2>"$work/err" | head -c 10 >/dev/null
  exit "${PIPESTATUS[0]}"
)
status=$?
[[ $status == 1 ]] || fail "scrivet into a closed pipe: status $status"
[[ $(cat "$work/err") == "scrivet: write error: Broken pipe" ]] ||
  fail "scrivet into a closed pipe: stderr '$(cat "$work/err")'"

if ((failures > 0)); then
  echo "$failures failure(s)"
  exit 1
fi
echo "all $count sessions and failure cases passed"
