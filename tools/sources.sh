#!/usr/bin/env bash
# Prints the C++ files under the source folders, one a line, for the checks
# to read: in a git checkout, those on disk, tracked or untracked but not
# ignored; elsewhere, every one found there, after a note on standard error.
# Usage: tools/sources.sh EXTENSION... (e.g. cc h)
set -euo pipefail
cd "$(dirname "$0")/.."
folders=(scrivet scrivet-prompt tests fuzz bench)
(($# > 0)) || { echo "usage: tools/sources.sh EXTENSION..." >&2; exit 2; }

if [[ $(git rev-parse --show-toplevel 2>/dev/null) == "$PWD" ]]; then
  patterns=()
  for folder in "${folders[@]}"; do
    for extension in "$@"; do
      patterns+=("$folder/*.$extension")
    done
  done
  git ls-files --cached --others --exclude-standard -- "${patterns[@]}" |
    sort -u | while IFS= read -r file; do
      if [[ -f $file ]]; then printf '%s\n' "$file"; fi
    done
  exit 0
fi

echo "$PWD is not a git checkout, so .gitignore cannot be applied:" \
  "checking every C++ file under ${folders[*]/%//}" >&2
names=(-name "*.$1")
for extension in "${@:2}"; do
  names+=(-o -name "*.$extension")
done
existing=()
for folder in "${folders[@]}"; do
  [[ -d $folder ]] && existing+=("$folder")
done
((${#existing[@]} > 0)) || exit 0
find "${existing[@]}" -type f \( "${names[@]}" \) | sort
