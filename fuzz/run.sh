#!/usr/bin/env bash
# Runs each fuzz target for SECONDS seconds, starting from a corpus seeded
# with the recorded test sessions (the key search's from nothing), and
# prints libFuzzer's summary lines.
# Usage: fuzz/run.sh BUILD_DIR SECONDS
# Exits non-zero, naming the saved input, when a target finds a crash or a
# difference from the model.
set -euo pipefail

build=$1
seconds=$2
source_dir=$(cd "$(dirname "$0")/.." && pwd)
status=0

for program in scrivet scrivet-prompt key-search; do
  target=${program//-/_}_fuzz
  work=$build/fuzz-work/$program
  mkdir -p "$work/corpus" "$work/seeds" "$work/artifacts"
  dictionary=()
  if [[ $program != key-search ]]; then
    cp "$source_dir"/tests/sessions/"$program"/*.in "$work/seeds/"
    dictionary=(-dict="$source_dir/fuzz/$program.dict")
  fi
  log=$work/fuzz.log
  echo "== $target: $seconds seconds"
  if "$build/fuzz/$target" "$work/corpus" "$work/seeds" \
      "${dictionary[@]}" -max_total_time="$seconds" \
      -max_len=4096 -timeout=10 -print_final_stats=1 \
      -artifact_prefix="$work/artifacts/" >"$log" 2>&1; then
    grep -E '^#[0-9]+[[:space:]]+DONE|^Done [0-9]+ runs|^stat::number_of_executed_units' "$log"
  else
    status=1
    tail -n 40 "$log"
    echo "$target failed; the input is in $work/artifacts/ (log: $log)" >&2
  fi
done
exit $status
