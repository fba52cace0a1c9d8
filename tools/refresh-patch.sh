#!/usr/bin/env bash
# Writes anew a patch kept in the tree, a fault (tests/faults/NAME.patch) or
# a speed trick (bench/tricks/NAME.patch), that tools/patches.sh refuses
# with "refresh it": it merges the patch onto the tree as it is, uncommitted
# edits included, with git apply --3way, which never fuzzes. That runs in
# a scratch copy of the tree, made a repository whose index holds the files
# and which borrows the clone's objects, among them the blobs that the
# patch's index lines name. When the merge is clean, it shows the old patch
# against the new (written with git diff, naming the blobs of the files as
# they are now) and the function each change now lies in, checks the new
# one as tools/patches.sh does and, once it is confirmed, writes it. When
# it conflicts, it shows the conflict and writes nothing. A patch with no
# index line, or whose blobs the clone lacks, is taken only where it
# applies exactly. A change in a function that the old patch named for
# none is written only once confirmed: --yes then writes nothing. --yes
# writes without asking; without it and without a terminal to ask on,
# nothing is written. Changes no file but the patch.
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
  candidates=(tests/faults/"$target".patch bench/tricks/"$target".patch)
  mapfile -t candidates < <(ls "${candidates[@]}" 2>/dev/null)
  ((${#candidates[@]} == 1)) || { echo "not one but ${#candidates[@]} of tests/faults/$target.patch" \
    "and bench/tricks/$target.patch exist: give a patch's path" >&2; exit 1; }
  patch=${candidates[0]}
fi
# Only what a merge can mend is refreshed: a patch that does not apply, or
# a hunk in another function than its header names.
if report=$(patch_check "$patch"); then
  echo "$patch can be planted and taken out as it is: nothing to refresh"
  exit 0
fi
if ! grep -q '^  refresh it: ' <<<"$report"; then
  printf '%s\n' "$report"
  echo "a refresh cannot mend that, so $patch was not written" >&2
  exit 1
fi
mapfile -t files < <(patch_files "$patch")
by_hand="by hand: make the change again where that code is now, write it with git diff -- ${files[*]} >$patch,
then undo it"

# git in the scratch repository, with no one's settings; every file is
# diffed and merged as text, headed by git's own function lines.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
tree=$scratch/tree
mkdir "$tree"
tree_copy "$tree"
scratch_git() {
  env -u GIT_DIR -u GIT_WORK_TREE -u GIT_INDEX_FILE -u GIT_CONFIG_PARAMETERS -u GIT_CONFIG_COUNT \
    GIT_CONFIG_GLOBAL=/dev/null GIT_CONFIG_NOSYSTEM=1 GIT_CEILING_DIRECTORIES="$scratch" git -C "$tree" "$@"
}
scratch_git init -q
echo '* diff -text' >"$tree/.git/info/attributes"
clone="$root, which is no git clone,"
if [[ $(git rev-parse --show-toplevel 2>/dev/null) == "$root" ]]; then
  realpath "$(git rev-parse --git-common-dir)/objects" >"$tree/.git/objects/info/alternates"
  clone="this clone"
fi
scratch_git add -- "${files[@]}"
base=$(scratch_git write-tree)

if ! merged=$(scratch_git apply --3way --whitespace=nowarn "$root/$patch" 2>&1); then
  if grep -q 'with conflicts' <<<"$merged"; then
    echo "$patch does not merge onto the tree: its change and the tree's meet. The conflicts" \
      "(ours: the tree; theirs: the patch):"
    for file in "${files[@]}"; do
      awk -v file="$file" '/^<<<<<<< / { inside = 1; print file ", line " FNR ":" }
        inside { print "  " $0 } /^>>>>>>> / { inside = 0 }' "$tree/$file"
    done
  elif grep -q 'lacks the necessary blob' <<<"$merged"; then
    echo "$patch does not apply to the tree as it is, and cannot be merged: $clone does not hold" \
      "the blobs that its index lines name (or it has none):"
    grep '^error: ' <<<"$merged" | grep -v 'lacks the necessary blob' | sed 's/^/  /'
  else
    echo "$patch cannot be merged onto the tree:"
    echo "  ${merged//$'\n'/$'\n'  }"
  fi
  echo "$by_hand" >&2
  exit 1
fi
new=$scratch/new.patch
scratch_git diff "$base" -- "${files[@]}" >"$new"

echo "$patch, the old against the new:"
diff -u --label "$patch, old" --label "$patch, new" "$patch" "$new" || true
# The function each hunk's change lies in; one that the old patch named
# for none of its file's changes has moved, or its function was renamed.
declare -A named
while IFS=$'\x1f' read -r file _ _ _ _ _ _ function; do named[$file:$function]=1; done < <(patch_hunks old "$patch")
echo "the function that each change of the new patch lies in:"
moved=()
while IFS=$'\x1f' read -r file hunk _ _ _ _ _ function; do
  echo "  $file, hunk $hunk: \"${function:-no function}\""
  [[ -n ${named[$file:$function]:-} ]] || moved+=("$file, hunk $hunk: \"${function:-no function}\"")
done < <(patch_hunks old "$new")

if ! report=$(patch_check "$new"); then
  printf '%s\n' "${report//"$new"/"$patch, refreshed"}"
  echo "$patch was not written" >&2
  exit 1
fi
if ((${#moved[@]} > 0)); then
  echo "changes in a function that the old patch named for none of its file's changes:"
  printf '  %s\n' "${moved[@]}"
  if [[ $yes == yes ]]; then
    echo "so $patch was not written: check that those hunks belong there (a function renamed), then" \
      "run this again without --yes to confirm them, or $by_hand" >&2
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
