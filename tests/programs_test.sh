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

# A session that ends before its input leaves the rest to the next reader.
# leaves NAME BINARY INPUT REST: INPUT and REST are printf formats. Read from
# a regular file, BINARY must leave exactly REST after it; read from a pipe,
# which cannot give back what was read ahead, some tail of REST.
# then_cat BINARY: runs BINARY, then cat as the next reader, on one standard
# input; BINARY's status goes to $work/status, what cat reads to $work/rest.
then_cat() {
  "$1" >/dev/null 2>"$work/err"
  echo $? >"$work/status"
  cat >"$work/rest"
}
leaves() {
  local name=$1 binary=$2 status
  # shellcheck disable=SC2059 # the formats are the caller's
  printf "$3" >"$work/input"
  # shellcheck disable=SC2059
  printf "$4" >"$work/rest.want"
  for source in file pipe; do
    if [[ $source == file ]]; then
      then_cat "$binary" <"$work/input"
    else
      then_cat "$binary" < <(cat "$work/input")
    fi
    status=$(cat "$work/status")
    [[ $status == 0 && ! -s $work/err ]] ||
      fail "$name, from a $source: status $status, stderr '$(cat "$work/err")'"
    if [[ $source == file ]] && ! cmp -s "$work/rest" "$work/rest.want"; then
      fail "$name: the next reader of the file got $(od -An -c "$work/rest" | head -c 200)"
    elif ! tail -c "$(wc -c <"$work/rest")" "$work/rest.want" | cmp -s - "$work/rest"; then
      fail "$name: the next reader of the pipe got bytes that do not end the input"
    fi
  done
}
leaves "scrivet, quit with words on a CR LF line" "$scrivet" \
  'insertEnd "a"\nquit now\r\nafter 1\n\nquit\nlast' 'after 1\n\nquit\nlast'
leaves "scrivet, an unrecognised line" "$scrivet" 'print\nPrint\nnext\n' 'next\n'
leaves "scrivet, quit without a newline" "$scrivet" 'insertEnd "a"\nquit' ''
leaves "scrivet-prompt, quit with words after it" "$prompt" \
  'insertEnd x\nprint quit more words\nnext line\n' ' more words\nnext line\n'
leaves "scrivet-prompt, quit on a CR LF line" "$prompt" 'quit\r\nrest' '\r\nrest'
leaves "scrivet-prompt, quit without a newline" "$prompt" 'insertEnd x\nquit' ''
# The last byte used falls on and around the end of the streams' first
# buffer (8 KiB), and far more follows than a buffer holds.
yes 'after "quit"' | head -n 10000 >"$work/after"
for end in 8190 8191 8192 8193 8194; do
  pad=$(head -c $((end - 18)) /dev/zero | tr '\0' x)
  leaves "scrivet, quit ending at byte $end" "$scrivet" \
    "insertEnd \"$pad\"\\nquit\\n$(cat "$work/after")\\n" "$(cat "$work/after")\\n"
  leaves "scrivet-prompt, quit ending at byte $end" "$prompt" \
    "insertEnd $pad\\n   quit\\n$(cat "$work/after")\\n" "\\n$(cat "$work/after")\\n"
done

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

finish "all $count sessions and failure cases passed"
