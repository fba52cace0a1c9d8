#!/usr/bin/env bash
# Fails, listing the differences, when a C++ file is not formatted by the
# committed .clang-format. Usage: tools/format-check.sh
set -euo pipefail
cd "$(dirname "$0")/.."
format=${CLANG_FORMAT:-clang-format}
command -v "$format" >/dev/null || {
  echo "$format was not found (Debian: sudo apt-get install clang-format)" >&2
  exit 1
}
git ls-files -- '*.cc' '*.h' | xargs "$format" --dry-run --Werror
echo "clang-format: every file is formatted"
