#!/usr/bin/env bash
# The tools that plant patches refuse, before any long work, a patch that
# they cannot place, take out or build exactly, and say why. Each case puts
# a bad patch into a fresh scratch copy of the tree SOURCE and runs the
# tools there:
#   - a fault whose new text occurs twice once planted, and a fault written
#     with no context (git diff -U0): tools/check-patches.sh refuses each,
#     and make fault-check stops before it builds anything;
#   - a speed trick that names an undeclared identifier: make fault-check
#     stops before it plants any fault;
#   - a fault whose code has moved into another function: check-patches.sh
#     refuses it, and tools/refresh-patch.sh --yes writes nothing.
# usage: patch_tools_test.sh SOURCE
set -u
source_dir=$(cd "$1" && pwd)
# shellcheck source=tests/lib.sh
source "$(dirname "$0")/lib.sh"
# shellcheck source=tools/patches.sh
source "$source_dir/tools/patches.sh"

# fresh: a new scratch copy of the tree in $tree, with one of its faults
# and none of its speed tricks, so that the tools spend their time on the
# bad patch.
copies=0
fresh() {
  local faults
  copies=$((copies + 1))
  tree=$work/tree$copies
  mkdir "$tree"
  (cd "$source_dir" && tree_copy "$tree")
  faults=("$tree"/tests/faults/*.patch)
  rm "${faults[@]:1}" "$tree"/bench/tricks/*.patch
}

# refuses CASE COMMAND... -- TEXT...: runs COMMAND in $tree, and fails CASE
# unless COMMAND fails and writes every TEXT.
refuses() {
  local case=$1 command=() text
  shift
  while [[ $1 != -- ]]; do command+=("$1"); shift; done
  shift
  if (cd "$tree" && "${command[@]}") >"$work/out" 2>&1; then
    fail "$case: ${command[*]} succeeded"
    return
  fi
  for text; do
    grep -qF -- "$text" "$work/out" && continue
    fail "$case: ${command[*]} does not say: $text"
    sed 's/^/  | /' "$work/out" | head -n 20
  done
}
# built: what make fault-check says once it has compiled the speed tricks.
built="speed tricks build"

fresh
printf '%s\n' x a B c y a b c z >"$tree/scrivet/probe.txt"
cat >"$tree/tests/faults/probe.patch" <<'PATCH'
--- a/scrivet/probe.txt
+++ b/scrivet/probe.txt
@@ -2,3 +2,3 @@
 a
-B
+b
 c
PATCH
twice="tests/faults/probe.patch: once planted, taking it out: scrivet/probe.txt: the new text of hunk 1 is found 2 times, not once"
refuses "new text twice" tools/check-patches.sh -- "$twice" "widen that hunk's context"
refuses "new text twice" tools/fault-check.sh -- "$twice" "no fault was planted"
grep -qF "$built" "$work/out" && fail "new text twice: make fault-check compiled the speed tricks first"

fresh
printf '%s\n' x y z >"$tree/scrivet/probe.txt"
cat >"$tree/tests/faults/probe.patch" <<'PATCH'
--- a/scrivet/probe.txt
+++ b/scrivet/probe.txt
@@ -1,0 +2 @@
+inserted
PATCH
bare="tests/faults/probe.patch: planting it: scrivet/probe.txt: hunk 1 has no old text"
refuses "no context" tools/check-patches.sh -- "$bare" "write it again with context"
refuses "no context" tools/fault-check.sh -- "$bare" "no fault was planted"
grep -qF "$built" "$work/out" && fail "no context: make fault-check compiled the speed tricks first"

fresh
file=scrivet/key_search.cc
{ cat "$tree/$file"; echo 'int probeUse() { return undeclaredProbeName; }'; } >"$work/changed"
(cd "$tree" && diff -u --label "a/$file" --label "b/$file" "$file" "$work/changed") >"$tree/bench/tricks/probe.patch"
refuses "undeclared identifier" tools/fault-check.sh -- \
  "bench/tricks/probe.patch: does not build: $file:" "undeclaredProbeName" "no fault was planted"
grep -qE '^(ok|FAIL) ' "$work/out" && fail "undeclared identifier: make fault-check planted a fault"

fresh
printf '%s\n' 'void first() {' '  four();' '}' '' 'void second() {' '  one();' '  two();' '  three();' '}' \
  >"$tree/scrivet/probe.txt"
# Written when one(), two() and three() were all of first().
cat >"$tree/tests/faults/probe.patch" <<'PATCH'
--- a/scrivet/probe.txt
+++ b/scrivet/probe.txt
@@ -2,4 +2,5 @@ void first() {
   one();
   two();
+  added();
   three();
 }
PATCH
cp "$tree/tests/faults/probe.patch" "$work/probe.patch"
refuses "moved" tools/check-patches.sh -- \
  'scrivet/probe.txt: hunk 1 names "void first() {", but its old text is in "void second() {"' \
  "refresh it: tools/refresh-patch.sh probe"
refuses "moved" tools/refresh-patch.sh probe --yes -- "hunk 1 at line 6, fuzz 0, offset 4" \
  'scrivet/probe.txt: hunk 1 names "void first() {", but lands in "void second() {"' "was not written"
cmp -s "$work/probe.patch" "$tree/tests/faults/probe.patch" || fail "moved: refresh-patch.sh --yes rewrote the patch"

finish "the patch tools refused each of $copies bad patches"
