#!/usr/bin/env bash
# Runs clang-tidy, with the checks in .clang-tidy, over every C++ source of
# the project. Usage: tools/lint.sh BUILD_DIR (holding compile_commands.json)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$1
tidy=${CLANG_TIDY:-clang-tidy}
command -v "$tidy" >/dev/null || {
  echo "$tidy was not found (Debian: sudo apt-get install clang-tidy)" >&2
  exit 1
}
[[ -f $build/compile_commands.json ]] || { echo "no $build/compile_commands.json" >&2; exit 1; }
git ls-files -- '*.cc' | xargs -P "$(nproc)" -n 1 "$tidy" -p "$build" --quiet
echo "clang-tidy: no findings"
