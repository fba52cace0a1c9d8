#!/usr/bin/env bash
# Memory running out, through the built programs: a 200 MB line under a
# 150 MB limit on address space, and, in turn, every call of operator new
# in a short session failing (by the preloaded allocator FAIL_ALLOCATION,
# built from fail_allocation.cc). Each must end with status 1 and
# "PROGRAM: out of memory" on standard error, having written no more than
# the start of what the whole session writes. Neither a memory limit nor a
# preloaded allocator suits AddressSanitizer, so sanitized builds skip this.
# usage: out_of_memory_test.sh SCRIVET SCRIVET_PROMPT FAIL_ALLOCATION
set -u
scrivet=$1 prompt=$2 shim=$3
# shellcheck source=tests/lib.sh
source "$(dirname "$0")/lib.sh"

# expect_out_of_memory NAME PROGRAM WANT_PREFIX_FILE: checks $work/out,
# $work/err and $status after a run that ran out of memory.
expect_out_of_memory() {
  local name=$1 program=$2 want=$3
  [[ $status == 1 ]] || fail "$name: exit status $status, expected 1"
  [[ $(cat "$work/err") == "$program: out of memory" ]] ||
    fail "$name: stderr was '$(head -c 300 "$work/err")'"
  local written
  written=$(wc -c <"$work/out")
  if ((written > $(wc -c <"$want"))) || ! cmp -s -n "$written" "$work/out" "$want"; then
    fail "$name: wrote what the session does not: $(head -c 100 "$work/out" | od -c | head -n 3)"
  fi
}

printf 'insertEnd "the first line of a short session"\ninsertEnd "two"\n' >"$work/scrivet.in"
printf 'insert 1 "a line put before the first"\nedit 2 "the first line, edited"\n' >>"$work/scrivet.in"
printf 'search "line"\ndelete 3\nprint\nquit\n' >>"$work/scrivet.in"
printf 'insertEnd the first entry of a short session\ninsertEnd two\n' >"$work/scrivet-prompt.in"
printf 'insert 1 an entry put before the first\nedit 2 edited\nprint quit\n' >>"$work/scrivet-prompt.in"

for program in scrivet scrivet-prompt; do
  binary=$scrivet
  [[ $program == scrivet-prompt ]] && binary=$prompt

  # A line that cannot be held.
  (
    ulimit -v 150000
    { printf 'insertEnd "'; head -c 200000000 /dev/zero | tr '\0' x; printf '"\nprint\n'; } |
      "$binary" >"$work/out" 2>"$work/err"
  )
  status=$?
  printf 'Enter a User Command\n' >"$work/greeting"
  expect_out_of_memory "$program, a 200 MB line in 150 MB" "$program" "$work/greeting"

  # Every allocation of a short session, one at a time.
  "$binary" <"$work/$program.in" >"$work/want" 2>&1 || fail "$program: the session itself failed"
  LD_PRELOAD=$shim FAIL_ALLOCATION_COUNT=1 "$binary" <"$work/$program.in" >/dev/null 2>"$work/count"
  points=$(sed -n 's/^allocations: //p' "$work/count")
  ((points >= 10)) || fail "$program: only '$points' allocations counted"
  for ((k = 1; k <= points; k++)); do
    LD_PRELOAD=$shim FAIL_ALLOCATION_AT=$k "$binary" <"$work/$program.in" >"$work/out" 2>"$work/err"
    status=$?
    expect_out_of_memory "$program, allocation $k of $points failing" "$program" "$work/want"
  done
  LD_PRELOAD=$shim FAIL_ALLOCATION_AT=$((points + 1)) "$binary" <"$work/$program.in" >"$work/out"
  cmp -s "$work/out" "$work/want" || fail "$program: the session differs under the preloaded allocator"
  echo "$program: $points allocation points, each reported as out of memory"
done

finish "out of memory: all passed"
