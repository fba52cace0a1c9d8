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
# bench/tricks/ (which are never planted here) with tools/check-patches.sh;
# then that each file a patch changes is compiled into a program (a
# change to a test or a document proves nothing); then compiles each speed
# trick where make bench-tricks builds it. A patch that fails any of these
# stops the run before any fault is planted. A change that costs only
# speed, which no output can show, is not a fault: make bench-tricks
# measures those.
#
# usage: tools/fault-check.sh
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=tools/patches.sh
source tools/patches.sh

for tool in cmake ctest git tar; do
  command -v "$tool" >/dev/null ||
    { echo "$tool was not found: install it first (Debian: sudo apt-get install $tool)" >&2; exit 1; }
done
tools/check-patches.sh || { echo "no fault was planted" >&2; exit 1; }
shopt -s nullglob
faults=(tests/faults/*.patch)
tricks=(bench/tricks/*.patch)

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/tree"
tree_copy "$scratch/tree"
cd "$scratch/tree"

# Each speed trick, planted in turn in the bench build that make
# bench-tricks uses, with warnings as errors: every source file that it
# changes, or that includes a file it changes, is compiled, not linked.
cmake --preset bench -B build/tricks -DSCRIVET_WERROR=ON >"$scratch/configure.log" 2>&1 ||
  { cat "$scratch/configure.log" >&2; exit 1; }
# Each source file of the tree that the build compiles, once, with its
# folder and command, and the files it includes.
sources=()
declare -A folders commands includes
while IFS=$'\t' read -r file folder command; do
  sources+=("$file") folders[$file]=$folder commands[$file]=$command
  (cd "$folder" && eval "$command -MM -MF $scratch/deps") || exit 1
  includes[$file]=$(tr -d '\\\n' <"$scratch/deps")
done < <(awk -v tree="$PWD/" '
  function value(line) { sub(/^  "[a-z]*": "/, "", line); sub(/",?$/, "", line); return line }
  /^  "directory": / { folder = value($0) }
  /^  "command": / { command = value($0); gsub(/\\"/, "\"", command); gsub(/\\\\/, "\\", command) }
  /^  "file": / {
    file = value($0)
    if (index(file, tree) == 1 && index(file, tree "build/") != 1 && !(file in seen)) {
      seen[file]
      printf "%s\t%s\t%s\n", file, folder, command
    }
  }' build/tricks/compile_commands.json)
# The program code: the programs' sources and the files they include.
program=" $(for file in "${sources[@]}"; do [[ $file != "$PWD"/scrivet*/* ]] || printf "%s " "${includes[$file]}"; done)"
outside=0
for patch in "${faults[@]}" "${tricks[@]}"; do
  while IFS= read -r changed; do
    [[ $program != *" $PWD/$changed "* ]] || continue
    echo "$patch: $changed is compiled into neither program: a fault or a speed trick changes program code"
    outside=$((outside + 1))
  done < <(patch_files "$patch")
done
((outside == 0)) || { echo "$outside files that patches change are not program code; no fault was planted" >&2; exit 1; }
broken=0
for trick in "${tricks[@]}"; do
  patch_apply "$trick"
  mapfile -t patched < <(patch_files "$trick")
  failed=0
  for file in "${sources[@]}"; do
    for changed in "${patched[@]}"; do
      [[ " ${includes[$file]} " == *" $PWD/$changed "* ]] || continue
      if ! (cd "${folders[$file]}" && eval "${commands[$file]}") >"$scratch/compile.log" 2>&1; then
        echo "$trick: does not build: ${file#"$PWD/"}:"
        head -n 20 "$scratch/compile.log"
        failed=1
      fi
      break
    done
  done
  broken=$((broken + failed))
  patch_revert "$trick"
done
((broken == 0)) || { echo "$broken of ${#tricks[@]} speed tricks do not build; no fault was planted" >&2; exit 1; }
echo "all ${#tricks[@]} speed tricks build"

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
  elif ctest --preset default --parallel "$(nproc)" --timeout 300 -LE patches >"$scratch/report" 2>&1; then
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
