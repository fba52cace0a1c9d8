#!/usr/bin/env bash
# Plants each fault kept in tests/faults/ (a patch to the program code), one
# at a time, in a scratch copy of the sources, and runs the test suite on
# it as `make test` does. The suite must fail, and its report must fit in
# 150 lines, so that the evidence is read at once: a fault that passes is a
# missing test or a line of code that does nothing. Fails on a fault the
# suite misses or reports at greater length, on one that does not build,
# and on a tree that taking the fault out again does not restore.
#
# Before planting any, checks every fault and every speed trick of
# bench/tricks/ (which are never planted here) as tools/patches.sh plants
# them: with no fuzz, at any offset, each hunk's old text found exactly
# once in its file. Each is checked on the tree and on a copy of it with a
# comment line added at the top of every file it patches, which must not
# stop any patch. One that fails either stops the run, naming the command
# that refreshes it.
#
# A change that costs only speed, which no output can show, is not a
# fault: make bench-tricks measures those.
#
# usage: tools/fault-check.sh
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=tools/patches.sh
source tools/patches.sh

for tool in cmake ctest patch tar; do
  command -v "$tool" >/dev/null || {
    echo "$tool was not found: install it first (Debian: sudo apt-get install $tool)" >&2
    exit 1
  }
done
shopt -s nullglob
faults=(tests/faults/*.patch)
tricks=(bench/tricks/*.patch)
((${#faults[@]} > 0)) || { echo "no faults in tests/faults/" >&2; exit 1; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/tree" "$scratch/commented"
tree_copy "$scratch/tree"
cp -a "$scratch/tree/." "$scratch/commented"
cd "$scratch/tree"

# The copy with a comment line at the top of every file that a patch
# changes, in the file's own syntax.
while IFS= read -r file; do
  [[ -f $scratch/commented/$file ]] || continue
  case $file in
    *.cc | *.h) comment='// A comment line that no patch may depend on.' ;;
    *) comment='# A comment line that no patch may depend on.' ;;
  esac
  { printf '%s\n' "$comment"; cat "$scratch/commented/$file"; } >"$scratch/file"
  mv "$scratch/file" "$scratch/commented/$file"
done < <(for patch in "${faults[@]}" "${tricks[@]}"; do patch_files "$patch"; done | sort -u)

stale=0
for patch in "${faults[@]}" "${tricks[@]}"; do
  if ! patch_check "$patch"; then
    stale=$((stale + 1))
  elif ! report=$(cd "$scratch/commented" && patch_check "$patch"); then
    echo "with a comment line added at the top of each file that it patches:"
    printf '%s\n' "$report"
    stale=$((stale + 1))
  fi
done
if ((stale > 0)); then
  echo "$stale of $((${#faults[@]} + ${#tricks[@]})) patches cannot be planted as they are; no fault was planted"
  exit 1
fi
echo "all ${#faults[@]} faults and ${#tricks[@]} speed tricks apply, also below a comment line added at the top"

# One build, without debug information so that relinking after each fault
# is quick; the tests are those of make test.
build() { cmake --build --preset default --parallel "$(nproc)" >"$scratch/build.log" 2>&1; }
cmake --preset default -DCMAKE_BUILD_TYPE=Release >"$scratch/configure.log" 2>&1 ||
  { cat "$scratch/configure.log" >&2; exit 1; }
build || { cat "$scratch/build.log" >&2; exit 1; }

# A checksum of every file of the scratch tree but the build's, which must
# be the same after each fault is taken out again.
tree_sum() {
  find . -path ./build -prune -o -type f -print0 | sort -z | xargs -0 md5sum | md5sum
}
clean_tree=$(tree_sum)

# The most lines that make test's report of a caught fault may take: what
# ctest writes, and make's closing line.
max_report=150
lines() { echo $(($(wc -l <"$scratch/report") + 1)); }
# The tests that failed, as ctest lists them at the end of its report, with
# how they failed when they did not just fail (a crash, a timeout).
failed() {
  sed -n -e '/(Not Run)$/d' -e 's/^[[:space:]]*[0-9]* - \([^ ]*\) (Failed)$/\1/p' \
    -e 's/^[[:space:]]*[0-9]* - \([^ ]*\) (\(.*\))$/\1 (\2)/p' "$scratch/report" | paste -sd ',' - |
    sed 's/,/, /g'
}
problems=0
for fault in "${faults[@]}"; do
  name=$(basename "$fault" .patch)
  start=$SECONDS
  patch_apply "$fault"
  if ! build; then
    verdict="FAIL  $name: does not build"
    problems=$((problems + 1))
  elif ctest --preset default --parallel "$(nproc)" --timeout 300 >"$scratch/report" 2>&1; then
    verdict="FAIL  $name: the tests pass with it"
    problems=$((problems + 1))
  elif (($(lines) > max_report)); then
    verdict="FAIL  $name: caught, but the report takes $(lines) lines"
    problems=$((problems + 1))
  else
    verdict="ok    $name: caught by $(failed), in a report of $(lines) lines"
  fi
  patch_revert "$fault"
  [[ $(tree_sum) == "$clean_tree" ]] || { echo "the tree was not restored after $name" >&2; exit 1; }
  echo "$verdict ($((SECONDS - start)) s)"
done

if ((problems > 0)); then
  echo "$problems of ${#faults[@]} faults were not caught"
  exit 1
fi
echo "all ${#faults[@]} planted faults were caught"
