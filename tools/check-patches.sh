#!/usr/bin/env bash
# Checks that every patch of tests/faults/ and bench/tricks/ can be planted
# and taken out again as tools/patches.sh plants them (patch_check), on the
# tree and on copies of the files it patches with a comment line added at
# the top of each, which must not stop any patch. Prints each problem with
# the step that fails and what to do, and fails when there is one. Plants
# nothing in the tree. make test runs it as the test `patches`, and
# make fault-check before it builds anything.
#
# usage: tools/check-patches.sh
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=tools/patches.sh
source tools/patches.sh

command -v patch >/dev/null ||
  { echo "patch was not found: install it first (Debian: sudo apt-get install patch)" >&2; exit 1; }
shopt -s nullglob
faults=(tests/faults/*.patch)
tricks=(bench/tricks/*.patch)
((${#faults[@]} > 0)) || { echo "no faults in tests/faults/" >&2; exit 1; }

# The patches, and a copy of each file they change with a comment line at
# its top, in the file's own syntax.
commented=$(mktemp -d)
trap 'rm -rf "$commented"' EXIT
cp --parents "${faults[@]}" "${tricks[@]}" "$commented"
while IFS= read -r file; do
  [[ -f $file ]] || continue
  case $file in
    *.cc | *.h) comment='// A comment line that no patch may depend on.' ;;
    *) comment='# A comment line that no patch may depend on.' ;;
  esac
  mkdir -p "$commented/$(dirname "$file")"
  { printf '%s\n' "$comment"; cat "$file"; } >"$commented/$file"
done < <(for patch in "${faults[@]}" "${tricks[@]}"; do patch_files "$patch"; done | sort -u)

stale=0
for patch in "${faults[@]}" "${tricks[@]}"; do
  if ! patch_check "$patch"; then
    stale=$((stale + 1))
  elif ! report=$(cd "$commented" && patch_check "$patch"); then
    echo "with a comment line added at the top of each file that it patches:"
    printf '%s\n' "$report"
    stale=$((stale + 1))
  fi
done
total=$((${#faults[@]} + ${#tricks[@]}))
((stale == 0)) || { echo "$stale of $total patches cannot be planted and taken out as they are"; exit 1; }
echo "all ${#faults[@]} faults and ${#tricks[@]} speed tricks can be planted and taken out again," \
  "also below a comment line added at the top"
