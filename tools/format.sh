#!/usr/bin/env bash
# Formats the C++ sources (tools/sources.sh) with the committed
# .clang-format, naming each file it rewrites. With --check it changes
# nothing and fails, showing the differences, when a file is not formatted.
# Usage: tools/format.sh [--check]
set -euo pipefail
cd "$(dirname "$0")/.."
format=${CLANG_FORMAT:-clang-format}
command -v "$format" >/dev/null || {
  echo "$format was not found (Debian: sudo apt-get install clang-format)" >&2
  exit 1
}
mapfile -t files < <(tools/sources.sh cc h)
((${#files[@]} > 0)) || { echo "no C++ files were found under the source folders" >&2; exit 1; }

if [[ ${1-} == --check ]]; then
  "$format" --dry-run --Werror "${files[@]}"
  echo "clang-format: all ${#files[@]} files are formatted"
  exit 0
fi
rewritten=0
for file in "${files[@]}"; do
  if ! "$format" --dry-run --Werror "$file" 2>/dev/null; then
    "$format" -i "$file"
    echo "formatted $file"
    rewritten=$((rewritten + 1))
  fi
done
echo "clang-format: $rewritten of ${#files[@]} files rewritten"
