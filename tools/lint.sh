#!/usr/bin/env bash
# Runs clang-tidy, with the checks in .clang-tidy, over every C++ source
# file (tools/sources.sh), several at a time, writing a line per file as it
# is done, followed by that file's findings.
# Usage: tools/lint.sh BUILD_DIR (holding compile_commands.json)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$1
tidy=${CLANG_TIDY:-clang-tidy}
command -v "$tidy" >/dev/null || {
  echo "$tidy was not found (Debian: sudo apt-get install clang-tidy)" >&2
  exit 1
}
[[ -f $build/compile_commands.json ]] || { echo "no $build/compile_commands.json" >&2; exit 1; }
mapfile -t files < <(tools/sources.sh cc)
((${#files[@]} > 0)) || { echo "no C++ files were found under the source folders" >&2; exit 1; }

# One file: a source the build compiles is checked with its flags; the
# others (the fuzz targets, built only by clang's fuzz preset, the
# benchmarks, a file not yet in the build) with the project's include
# folders. clang-tidy's count of the warnings it suppressed in system
# headers is dropped; only its findings are of interest.
lint_one() {
  local file=$1 output status=0
  if grep -q "\"file\": \"$PWD/$file\"" "$build/compile_commands.json"; then
    output=$("$tidy" -p "$build" --quiet "$file" 2>&1) || status=$?
  else
    output=$("$tidy" --quiet "$file" -- -std=c++17 -I. -Itests 2>&1) || status=$?
  fi
  output=$(grep -v '^[0-9]* warnings\( and [0-9]* errors\?\)\? generated\.$' <<<"$output" || true)
  # One write, so that the lines of parallel jobs do not interleave.
  printf '%s\n' "$( ((status == 0)) && echo "  ok    $file" || echo "  FAIL  $file"
    [[ -z $output ]] || printf '%s\n' "$output")"
  return "$status"
}
export -f lint_one
export build tidy

jobs=$(nproc 2>/dev/null || echo 2)
echo "clang-tidy: ${#files[@]} files, $jobs at a time"
# shellcheck disable=SC2016 # $1 is for the inner bash to expand
if printf '%s\n' "${files[@]}" | xargs -P "$jobs" -I{} bash -c 'lint_one "$1"' _ {}; then
  echo "clang-tidy: no findings"
else
  echo "clang-tidy: findings above" >&2
  exit 1
fi
