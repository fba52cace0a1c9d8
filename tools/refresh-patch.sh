#!/usr/bin/env bash
# Writes anew a patch kept in the tree, a fault (tests/faults/NAME.patch) or
# a speed trick (bench/tricks/NAME.patch), after the code it patches has
# changed: applies it, allowing fuzz, to a scratch copy of the tree, says
# where patch placed each hunk (its line, fuzz and offset), shows the hunks
# that result, with the function each lands in, and once they are
# confirmed writes them as the patch, with 3 lines of context, after
# checking them as tools/patches.sh does. A hunk that lands in another
# function than the one its header names is shown as such, and --yes then
# refuses to write the patch. Changes no file but the patch. --yes writes
# without asking; without it and without a terminal to ask on, nothing is
# written.
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
if ! applied=$(cd "$scratch/tree" && patch -p1 --verbose --forward --fuzz=3 --batch --no-backup-if-mismatch \
  -i "$patch_file" 2>&1); then
  echo "$patch does not apply to the tree, even with fuzz:"
  { _patch_failures <<<"$applied" | cut -d '|' -f 2-; grep "^can't find file" <<<"$applied" || true; } |
    sed 's/^/  /'
  while IFS= read -r file; do
    if [[ -f $scratch/tree/$file.rej ]]; then
      echo "the hunks of $file that were rejected:"
      cat "$scratch/tree/$file.rej"
    fi
  done < <(patch_files "$patch")
  echo "by hand: make the change again where that code is now, write it with git diff >$patch, then undo it"
  exit 1
fi
# Where patch placed each hunk, and whether that is in the function that
# the hunk's header names: the last line before the hunk, in the patched
# file, that names a function, as diff -p and git diff take it.
declare -A headers
while IFS=$'\t' read -r file hunk header; do headers[$file:$hunk]=$header; done < <(_patch_read headers "$patch")
echo "where patch placed the hunks of $patch:"
placed='^Hunk #([0-9]+) succeeded at ([0-9]+)( with fuzz ([0-9]+))?( \(offset (-?[0-9]+) lines?\))?\.$'
moved=()
while IFS= read -r line; do
  if [[ $line == "patching file "* ]]; then
    file=${line#patching file }
    echo "  $file:"
  elif [[ $line =~ $placed ]]; then
    hunk=${BASH_REMATCH[1]}
    echo "    hunk $hunk at line ${BASH_REMATCH[2]}, fuzz ${BASH_REMATCH[4]:-0}, offset ${BASH_REMATCH[6]:-0}"
    header=${headers[$file:$hunk]} lands=$(_patch_function "$scratch/tree/$file" "${BASH_REMATCH[2]}")
    if [[ -z $header && -n $lands ]]; then
      moved+=("$file: hunk $hunk names no function, and lands in \"$lands\"")
    elif [[ $lands != "$header"* ]]; then
      moved+=("$file: hunk $hunk names \"$header\", but lands in \"${lands:-no function}\"")
    fi
  fi
done <<<"$applied"

# The patched files against the tree, in the layout of the kept patches,
# each hunk headed by the function it is in.
new=$scratch/new.patch
while IFS= read -r file; do
  diff -uNp --label "a/$file" --label "b/$file" "$file" "$scratch/tree/$file" >>"$new" || [[ $? == 1 ]]
done < <(patch_files "$patch")

# The hunks alone, without the lines git diff adds and the function names.
hunks() { sed -e '/^diff --git /d' -e '/^index /d' -e 's/^\(@@ [^@]* @@\).*/\1/' "$1"; }
if cmp -s <(hunks "$new") <(hunks "$patch"); then
  echo "$patch is already as the tree would have it: nothing to write"
  patch_check "$patch"
  exit
fi
echo "$patch, taken again from the tree:"
cat "$new"
if ! report=$(patch_check "$new"); then
  printf '%s\n' "${report//"$new"/"$patch, refreshed"}"
  echo "$patch was not written" >&2
  exit 1
fi
if ((${#moved[@]} > 0)); then
  echo "hunks that land in another function than their headers name:"
  printf '  %s\n' "${moved[@]}"
  if [[ $yes == yes ]]; then
    echo "so $patch was not written: check where those hunks belong, then run this again" \
      "without --yes to confirm them, or make the change by hand" >&2
    exit 1
  fi
fi
if [[ $yes == no ]]; then
  if ! (: </dev/tty) 2>/dev/null; then
    echo "there is no terminal to ask on, so $patch was not written; --yes writes it" >&2
    exit 1
  fi
  read -r -p "Write this to $patch? [y/N] " answer </dev/tty || answer=
  [[ $answer == [yY]* ]] || { echo "$patch was not written" >&2; exit 1; }
fi
cp "$new" "$patch"
echo "wrote $patch; it can be planted and taken out as tools/patches.sh requires"
