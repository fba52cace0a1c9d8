#!/usr/bin/env bash
# Runs shellcheck over every shell script of the tree: each file that ends
# in .sh or opens with a shell's #! line (.ci/run). In a git checkout those
# on disk, tracked or untracked but not ignored; elsewhere every one found,
# build/ aside, after a note on standard error.
# usage: tools/shellcheck.sh
set -euo pipefail
cd "$(dirname "$0")/.."
command -v shellcheck >/dev/null ||
  { echo "shellcheck was not found: install it first (Debian: sudo apt-get install shellcheck)" >&2; exit 1; }

if [[ $(git rev-parse --show-toplevel 2>/dev/null) == "$PWD" ]]; then
  files() { git ls-files --cached --others --exclude-standard; }
else
  echo "$PWD is not a git checkout, so .gitignore cannot be applied: checking every script but build/'s" >&2
  files() { find . -path ./build -prune -o -path ./.git -prune -o -type f -print | sed 's|^\./||'; }
fi
scripts=()
while IFS= read -r file; do
  [[ -f $file ]] || continue
  if [[ $file == *.sh ]] || head -n 1 "$file" | grep -Eq '^#!(/usr)?/bin/(env )?(ba)?sh( |$)'; then
    scripts+=("$file")
  fi
done < <(files | sort)
((${#scripts[@]} > 0)) || { echo "no shell scripts were found" >&2; exit 1; }
shellcheck -x "${scripts[@]}"
echo "shellcheck: ${#scripts[@]} scripts, no findings"
