#!/usr/bin/env bash
# Checks that every patch of tests/faults/ and bench/tricks/ can be planted
# and taken out again as tools/patches.sh plants them (patch_check), also
# with a line added at the top and at the end of each file it patches.
# Prints each problem with the step that fails and what to do, and fails
# when there is one. Plants nothing in the tree. make test runs it as the
# test `patches`, and make fault-check before it builds anything.
#
# usage: tools/check-patches.sh
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=tools/patches.sh
source tools/patches.sh

command -v git >/dev/null ||
  { echo "git was not found: install it first (Debian: sudo apt-get install git)" >&2; exit 1; }
shopt -s nullglob
faults=(tests/faults/*.patch)
tricks=(bench/tricks/*.patch)
((${#faults[@]} > 0)) || { echo "no faults in tests/faults/" >&2; exit 1; }

stale=0
for patch in "${faults[@]}" "${tricks[@]}"; do
  patch_check "$patch" || stale=$((stale + 1))
done
total=$((${#faults[@]} + ${#tricks[@]}))
((stale == 0)) || { echo "$stale of $total patches cannot be planted and taken out as they are"; exit 1; }
echo "all ${#faults[@]} faults and ${#tricks[@]} speed tricks can be planted and taken out again," \
  "also with a line added at the top and at the end of each file they patch"
