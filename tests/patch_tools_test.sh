#!/usr/bin/env bash
# The tools that plant patches refuse, before any long work, a patch that
# they cannot place, take out or build exactly, and say why and what to do;
# tools/refresh-patch.sh merges a stale patch or stops, and never writes
# another fault under the old name. Each case puts a patch into a fresh
# scratch copy of the tree SOURCE, made a repository that borrows SOURCE's
# objects when SOURCE is a clone, and runs the tools there:
#   - refusals by tools/check-patches.sh: old text found twice, new text
#     found twice once planted, a hunk with no context, a corrupt hunk
#     (make fault-check stops on it before it builds anything), CRLF line
#     ends (and the fix it prints works), a file created, a hunk at line 1,
#     a hunk at the end of its file, a header that names another function,
#     also one whose name is a prefix of the right one's, and a command
#     that fails within the check;
#   - refusals by make fault-check before it plants any fault: a fault that
#     changes no program code, and a speed trick that does not build;
#   - tools/refresh-patch.sh: a hunk moved into another function is not
#     written with --yes; one stale only in its header's function name is
#     written once confirmed, and then passes; a fault whose neighbour
#     gained a `case` line is refreshed into the same fault or not at all;
#   - planting inside another clone, and under a user's git setting that
#     would change the code planted, plants exactly the patch.
# usage: patch_tools_test.sh SOURCE
set -u
source_dir=$(cd "$1" && pwd)
# shellcheck source=tests/lib.sh
source "$(dirname "$0")/lib.sh"
# shellcheck source=tools/patches.sh
source "$source_dir/tools/patches.sh"
export GIT_CONFIG_GLOBAL=/dev/null GIT_CONFIG_NOSYSTEM=1
objects=
if [[ $(git -C "$source_dir" rev-parse --show-toplevel 2>/dev/null) == "$source_dir" ]]; then
  objects=$(cd "$source_dir" && realpath "$(git rev-parse --git-common-dir)/objects")
fi

# fresh [FOLDER]: a new scratch copy of the tree in $tree (under FOLDER,
# by default $work), with one of its faults and none of its speed tricks,
# so that the tools spend their time on the patch tried.
copies=0
fresh() {
  local faults
  copies=$((copies + 1))
  tree=${1:-$work}/tree$copies
  mkdir "$tree"
  (cd "$source_dir" && tree_copy "$tree")
  faults=("$tree"/tests/faults/*.patch)
  rm "${faults[@]:1}" "$tree"/bench/tricks/*.patch
  git -C "$tree" init -q
  [[ -z $objects ]] || echo "$objects" >"$tree/.git/objects/info/alternates"
}

# probe LINE...: writes scrivet/probe.txt of $tree, LINEs between lines
# that the patches tried leave alone.
probe() {
  printf '%s\n' '# top' '#' '#' '#' "$@" '#' '#' '#' '# end' >"$tree/scrivet/probe.txt"
}

# written FILE SED [PATCH]: writes to PATCH (default tests/faults/probe.patch)
# the change that the sed script SED makes to FILE of $tree, as git diff
# writes it, and undoes the change. The repository of $tree holds FILE's
# blob, which the patch's index line names.
written() {
  local file=$1 patch=${3:-tests/faults/probe.patch}
  cp "$tree/$file" "$work/before"
  git -C "$tree" hash-object -w "$file" >/dev/null
  sed -i "$2" "$tree/$file"
  (cd "$tree" && git diff --no-index -- "$work/before" "$file") | sed "1,4s|a$work/before|a/$file|g" >"$tree/$patch"
  cp "$work/before" "$tree/$file"
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
    sed 's/^/  | /' "$work/out" | head -n 20
    return
  fi
  for text; do
    grep -qF -- "$text" "$work/out" && continue
    fail "$case: ${command[*]} does not say: $text"
    sed 's/^/  | /' "$work/out" | head -n 20
  done
}
# passes CASE COMMAND...: fails CASE unless COMMAND succeeds in $tree.
passes() {
  (cd "$tree" && "${@:2}") >"$work/out" 2>&1 && return
  fail "$1: ${*:2} failed:"
  sed 's/^/  | /' "$work/out" | head -n 20
}
probe=tests/faults/probe.patch
# built: what make fault-check says once it has compiled the speed tricks.
built="speed tricks build"

fresh
probe a b c d e f g x a b c d e f g
written scrivet/probe.txt '5,11s/^d$/D/'
refuses "old text twice" tools/check-patches.sh -- \
  "$probe: planting it: scrivet/probe.txt: the old text of hunk 1 is found 2 times, not once" "widen that hunk's context"

fresh
probe a b c D e f g x a b c d e f g
written scrivet/probe.txt 's/^D$/d/'
refuses "new text twice" tools/check-patches.sh -- \
  "$probe: once planted, taking it out: scrivet/probe.txt: the new text of hunk 1 is found 2 times, not once" \
  "widen that hunk's context"

fresh
probe a b c d e f g h
(cd "$tree" && cp scrivet/probe.txt "$work/before" && sed -i '4a\inserted' scrivet/probe.txt &&
  git diff --no-index -U0 -- "$work/before" scrivet/probe.txt | sed "1,4s|a$work/before|a/scrivet/probe.txt|g" >$probe)
refuses "no context" tools/check-patches.sh -- \
  "$probe: reading it: scrivet/probe.txt: hunk 1 has no context" "so that each hunk has context on both sides"

fresh
fault=$(echo "$tree"/tests/faults/*.patch)
awk '/^@@ / && !done { sub(/,[0-9]+ @@/, ",99 @@"); done = 1 } 1' "$fault" >"$tree/$probe"
line=$(wc -l <"$tree/$probe")
refuses "corrupt" tools/check-patches.sh -- "$probe: reading it: corrupt patch at line $((line + 1))"
refuses "corrupt" tools/fault-check.sh -- "corrupt patch at line" "no fault was planted"
grep -qF "$built" "$work/out" && fail "corrupt: make fault-check compiled the speed tricks first"

fresh
fault=$(echo "$tree"/tests/faults/*.patch)
sed 's/$/\r/' "$fault" >"$tree/$probe"
refuses "CRLF" tools/check-patches.sh -- "$probe: reading it: it has CRLF line ends" ".gitattributes keeps *.patch at LF"
fix=$(sed -n "s#^  by hand: \(sed -i .* $probe\) (.*#\1#p" "$work/out")
(cd "$tree" && eval "$fix")
passes "CRLF, its fix ($fix)" tools/check-patches.sh

fresh
printf '%s\n' '// a new file' >"$work/new.cc"
(cd "$tree" && git diff --no-index -- /dev/null "$work/new.cc" | sed "s|$work/new.cc|/scrivet/new.cc|g" >$probe)
refuses "file created" tools/check-patches.sh -- \
  "$probe: reading it: it creates scrivet/new.cc" "a fault or a speed trick changes program code that exists"

fresh
written scrivet/command_loop.cc '3s/cerrno/cerrno>  \/\/ errno</'
refuses "line 1" tools/check-patches.sh -- \
  "$probe: with a line added at the top of scrivet/command_loop.cc: hunk 1 starts at line 1" \
  "change code further from the top and the end of the file"

fresh
written scrivet/command_loop.cc "\$s/}  \/\/ namespace scrivet/}  \/\/ namespace/"
refuses "last line" tools/check-patches.sh -- \
  "$probe: with a line added at the end of scrivet/command_loop.cc: hunk 1 has no context after its change" \
  "change code further from the top and the end of the file"

fresh
probe 'void f2(int a) {' '  one();' '  two();' '  three();' '  four();' '  five();' '  six();' '  seven();' '}'
written scrivet/probe.txt 's/five/FIVE/'
sed -i 's/^\(@@ .* @@\) void f2(int a) {$/\1 void f/' "$tree/$probe"
refuses "a prefix of the function" tools/check-patches.sh -- \
  "$probe: planting it: scrivet/probe.txt: hunk 1 names \"void f\", but its old text is in \"void f2(int a) {\"" \
  "refresh it: tools/refresh-patch.sh probe"

# A command that fails within the check fails the check, even where bash
# would go on after it.
fresh
mkdir "$work/failing"
printf '#!/bin/sh\nexit 1\n' >"$work/failing/cp"
chmod +x "$work/failing/cp"
refuses "a failing command" env PATH="$work/failing:$PATH" tools/check-patches.sh -- "the check itself failed"

fresh
written README.md '10s/$/ And more./'
refuses "no program code" tools/fault-check.sh -- \
  "$probe: README.md is compiled into neither program" "no fault was planted"
grep -qF "$built" "$work/out" && fail "no program code: make fault-check compiled the speed tricks first"

fresh
file=scrivet/key_search.cc
written $file '/^namespace scrivet {$/a\int probeUse() { return undeclaredProbeName; }' bench/tricks/probe.patch
refuses "undeclared identifier" tools/fault-check.sh -- \
  "bench/tricks/probe.patch: does not build: $file:" "undeclaredProbeName" "no fault was planted"
grep -qE '^(ok|FAIL) ' "$work/out" && fail "undeclared identifier: make fault-check planted a fault"

# Written when one(), two() and three() were all of first().
fresh
probe 'void first() {' '  four();' '}' '' 'void second() {' '  one();' '  two();' '  three();' '}'
cat >"$tree/$probe" <<'PATCH'
--- a/scrivet/probe.txt
+++ b/scrivet/probe.txt
@@ -6,4 +6,5 @@ void first() {
   one();
   two();
+  added();
   three();
 }
PATCH
cp "$tree/$probe" "$work/probe.patch"
refuses "moved" tools/check-patches.sh -- \
  'scrivet/probe.txt: hunk 1 names "void first() {", but its old text is in "void second() {"' \
  "refresh it: tools/refresh-patch.sh probe"
refuses "moved" tools/refresh-patch.sh probe --yes -- \
  'scrivet/probe.txt, hunk 1: "void second() {"' "was not written"
cmp -s "$work/probe.patch" "$tree/$probe" || fail "moved: refresh-patch.sh --yes rewrote the patch"

# A function renamed: refreshed once confirmed on a terminal, and planted.
fresh
probe 'void find() {' '  one();' '  two();' '  three();' '  four();' '  five();' '  six();' '  seven();' '}'
written scrivet/probe.txt 's/five/FIVE/'
sed -i 's/find/search/' "$tree/scrivet/probe.txt"
refuses "renamed" tools/check-patches.sh -- "refresh it: tools/refresh-patch.sh probe"
(cd "$tree" && script -qec "tools/refresh-patch.sh probe" /dev/null <<<y) >"$work/out" 2>&1
grep -q '^@@ .* @@ void search() {' "$tree/$probe" || {
  fail "renamed: refresh-patch.sh, confirmed, did not write the new header"
  sed 's/^/  | /' "$work/out" | head -n 20
}
passes "renamed, once refreshed" tools/check-patches.sh

# A case added next to the one the fault changes: the refresh keeps the
# fault (print falls into the command after it) or stops.
fresh
cp "$source_dir/tests/faults/print-falls-into-insert.patch" "$tree/$probe"
sed -i '/^    case Command::kPrint:$/,/^      break;$/{/^      break;$/a\    case Command::kProbe:\n      document.probe(out);\n      break;
}' "$tree/scrivet/command_loop.cc"
cp "$tree/$probe" "$work/probe.patch"
if (cd "$tree" && tools/refresh-patch.sh probe --yes) >"$work/out" 2>&1; then
  changes=$(grep -B1 -A1 -- '^-      break;$' "$tree/$probe")
  if [[ $changes != $'       document.print(out);\n-      break;\n+      [[fallthrough]];' ]] ||
    (($(grep -c '^[-+] ' "$tree/$probe") != 2)); then
    fail "a case added: refresh-patch.sh wrote another fault:"
    sed 's/^/  | /' "$tree/$probe"
  fi
elif ! grep -q "was not written\|by hand" "$work/out" || ! cmp -s "$work/probe.patch" "$tree/$probe"; then
  fail "a case added: refresh-patch.sh failed without saying so, or changed the patch"
  sed 's/^/  | /' "$work/out" | head -n 20
fi

# Planted within another clone (a tarball unpacked in a checkout), and
# under a user's setting that would strip the blank that the patch adds.
mkdir "$work/outer"
git -C "$work/outer" init -q
fresh "$work/outer"
rm -rf "$tree/.git"
written scrivet/command_loop.cc 's/^\(    case Command::kQuit:\)$/\1 /'
printf '[apply]\n\twhitespace = fix\n' >"$work/gitconfig"
if (cd "$tree" && GIT_CONFIG_GLOBAL=$work/gitconfig patch_apply $probe) >"$work/out" 2>&1; then
  grep -q '^    case Command::kQuit: $' "$tree/scrivet/command_loop.cc" ||
    fail "within another clone: patch_apply did not plant the patch as it is"
else
  fail "within another clone: patch_apply failed"
  sed 's/^/  | /' "$work/out" | head -n 20
fi

finish "the patch tools refused or refreshed each of $copies patches as they should"
