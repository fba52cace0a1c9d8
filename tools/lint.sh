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
# Sources the build compiles are checked with its flags; the fuzz targets,
# built only by clang's fuzz preset, and the benchmarks with the project's
# include folders.
in_build=() others=()
for file in $(git ls-files -- '*.cc'); do
  if grep -q "\"file\": \"$PWD/$file\"" "$build/compile_commands.json"; then
    in_build+=("$file")
  else
    others+=("$file")
  fi
done
# clang-tidy counts the warnings it suppressed in system headers on
# standard error; only its findings are of interest.
quiet() { grep -v '^[0-9]* warnings\( and [0-9]* errors\?\)\? generated\.$' || true; }
printf '%s\n' "${in_build[@]}" |
  xargs -P "$(nproc)" -n 1 "$tidy" -p "$build" --quiet 2> >(quiet >&2)
printf '%s\n' "${others[@]}" |
  xargs -P "$(nproc)" -I{} "$tidy" --quiet {} -- -std=c++17 -I. -Itests 2> >(quiet >&2)
echo "clang-tidy: no findings"
