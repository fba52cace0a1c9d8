#!/usr/bin/env bash
# Writes anew a patch kept in the tree, a fault (tests/faults/NAME.patch) or
# a speed trick (bench/tricks/NAME.patch), after the code it patches has
# changed: applies it, allowing fuzz, to a scratch copy of the tree, shows
# the hunks that result, and once they are confirmed writes them as the
# patch, with 3 lines of context, and checks it as tools/patches.sh does.
# Changes no file but the patch. --yes writes without asking; without it
# and without a terminal to ask on, nothing is written.
#
# usage: tools/refresh-patch.sh NAME|PATH [--yes]
set -euo pipefail

usage() { echo "usage: tools/refresh-patch.sh NAME|PATH [--yes]" >&2; exit 2; }
yes=no
target=
for argument; do
  case $argument in
    --yes) yes=yes ;;
    -*) usage ;;
    *) [[ -z $target ]] || usage; target=$argument ;;
  esac
done
[[ -n $target ]] || usage
if [[ $target == */* || $target == *.patch ]]; then
  [[ -f $target ]] || { echo "$target: no such patch" >&2; exit 1; }
  target=$(realpath "$target")
fi
cd "$(dirname "$0")/.."
root=$PWD
# shellcheck source=tools/patches.sh
source tools/patches.sh

if [[ $target == /* ]]; then
  patch=${target#"$root"/}
else
  candidates=()
  for patch in "tests/faults/$target.patch" "bench/tricks/$target.patch"; do
    [[ -f $patch ]] && candidates+=("$patch")
  done
  case ${#candidates[@]} in
    0) echo "neither tests/faults/$target.patch nor bench/tricks/$target.patch exists" >&2; exit 1 ;;
    1) patch=${candidates[0]} ;;
    *) echo "$target names both ${candidates[*]}: give the path of one" >&2; exit 1 ;;
  esac
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/tree"
tree_copy "$scratch/tree"
patch_file=$(realpath "$patch")
if ! applied=$(cd "$scratch/tree" && patch -p1 --forward --fuzz=3 --batch --no-backup-if-mismatch \
  -i "$patch_file" 2>&1); then
  echo "$patch does not apply to the tree, even with fuzz:"
  { _patch_failures <<<"$applied"; grep "^can't find file" <<<"$applied" || true; } | sed 's/^/  /'
  while IFS= read -r file; do
    if [[ -f $scratch/tree/$file.rej ]]; then
      echo "the hunks of $file that were rejected:"
      cat "$scratch/tree/$file.rej"
    fi
  done < <(patch_files "$patch")
  echo "make the change by hand in the tree, write it with git diff >$patch, then undo it"
  exit 1
fi

# The patched files against the tree, in the layout of the kept patches.
while IFS= read -r file; do
  diff -uN --label "a/$file" --label "b/$file" "$file" "$scratch/tree/$file" >>"$scratch/new.patch" ||
    [[ $? == 1 ]]
done < <(patch_files "$patch")
# A hunk whose old text occurs more than once is ambiguous however fresh.
check() {
  patch_check "$patch" ||
    { echo "a hunk whose old text occurs more than once needs more context: widen it by hand" >&2; exit 1; }
}
if cmp -s "$scratch/new.patch" "$patch"; then
  echo "$patch is already as the tree would have it: nothing to write"
  check
  exit 0
fi
echo "$patch, taken again from the tree:"
cat "$scratch/new.patch"
if [[ $yes == no ]]; then
  if ! (: </dev/tty) 2>/dev/null; then
    echo "there is no terminal to ask on, so $patch was not written; --yes writes it" >&2
    exit 1
  fi
  read -r -p "Write this to $patch? [y/N] " answer </dev/tty || answer=
  [[ $answer == [yY]* ]] || { echo "$patch was not written" >&2; exit 1; }
fi
cp "$scratch/new.patch" "$patch"
echo "wrote $patch"
check
echo "$patch applies to the tree as tools/patches.sh requires"
