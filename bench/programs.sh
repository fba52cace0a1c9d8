#!/usr/bin/env bash
# scrivet and scrivet-prompt as whole programs, for the section "Whole
# programs" of docs/performance.md, each program's output to a file:
#   - 500,000 lines built by inserting at one line number (on a block
#     boundary, off it, at line 1) against appending them: time and peak
#     memory (max RSS), best of 3;
#   - a search of workload a (bench/workloads.h), time with the searches
#     less time without, raced against the same program with
#     std::boyer_moore_searcher, and against grep -F -n over the same lines
#     in a file on the same file system;
#   - scrivet-prompt's inserts at entry 1, at two sizes.
# usage: bench/programs.sh BUILD   (a build of the bench preset)
set -euo pipefail
export LC_ALL=C
# shellcheck source=bench/lib.sh
source "$(dirname "$0")/lib.sh"

(($# == 1)) || die "usage: bench/programs.sh BUILD"
scrivet=$1/scrivet/scrivet prompt=$1/scrivet-prompt/scrivet-prompt
std_search=$1/bench/scrivet_std_search sessions=$1/bench/scrivet_sessions
bench_setup "$scrivet" "$prompt" "$std_search"
echo "whole programs: BENCH_SCALE=$scale, BENCH_RUNS=$runs"

n=$(lines 500000)
echo
echo "scrivet, $n lines of 40 bytes built by inserting at one line number, against appending them:"
for kind in appends boundary offblock first; do
  "$sessions" "$kind" "$n" >"$work/pattern"
  best_of 3 "$work/pattern" "$scrivet"
  echo "  $kind: $(quotient "$micros" 1e6) s, $(quotient "$peak" 1024 1) MB"
  if [[ $kind == appends ]]; then
    appends=$micros appends_peak=$peak
  else
    target "$kind: time / appends' time" "$(quotient "$micros" "$appends")" 3
    target "$kind: peak memory / appends'" "$(quotient "$peak" "$appends_peak")" 1.3
  fi
done

n=$(lines 2000000)
write_workload a "$n" 100
"$sessions" a-text "$n" >"$work/a.text"
key=$("$sessions" a-key "$n")
# Timed without best_of's /usr/bin/time, whose start-up would weigh on grep
# alone (in a search of scrivet it weighs on the load too, and cancels).
grep_ms() {
  local start=$EPOCHREALTIME
  grep -F -n "$key" "$work/a.text" >"$work/grep.out" || die "grep -F -n found no line"
  quotient "$((${EPOCHREALTIME/./} - ${start/./}))" 1e3
}
# versus NAME LIMIT MEASURE: races scrivet's search of workload a against
# MEASURE; prints both, a minimum marked when noisy, and the ratio of
# their medians against LIMIT.
marked=0
versus() {
  local amin amed bmin bmed
  read -r amin amed bmin bmed <<<"$(race "search_ms $scrivet a" "$3")"
  amin+=$(noisy "$amin" "$amed") bmin+=$(noisy "$bmin" "$bmed")
  [[ $amin$bmin != *'*'* ]] || marked=1
  echo "  ms a search, min and median of $runs: scrivet $amin, $amed; $1 $bmin, $bmed"
  target "workload a: scrivet / $1" "$(quotient "$amed" "$bmed")" "$2"
}
echo
echo "a search of workload a ($n lines of 44 bytes, a rare 15-byte key), as whole programs"
versus "with std::boyer_moore_searcher" 1.1 "search_ms $std_search a"
versus "grep -F -n" 1.0 grep_ms
((marked == 0)) || noisy_note

# Every entry carries its number, so an insert renumbers the entries above
# it: twice the entries take four times as long.
n=$(lines 20000)
echo
for size in "$n" $((2 * n)); do
  "$sessions" prompt-inserts "$size" >"$work/prompt"
  best_of 1 "$work/prompt" "$prompt"
  echo "scrivet-prompt: $size entries, then $size times insert 1: $(quotient "$micros" 1e6 2) s"
  [[ $size == "$n" ]] && once=$micros
done
echo "  twice the entries, $(quotient "$micros" "$once" 1) times as long"
