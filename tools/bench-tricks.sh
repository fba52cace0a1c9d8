#!/usr/bin/env bash
# Re-decides every speed trick on this machine. It prints first the machine,
# the compiler and the commit. For each trick in the table below, it builds
# the program without the trick, or, for one that was taken out, with it
# put back: in a scratch copy of the tree, by the patch
# bench/tricks/NAME.patch, planted as make fault-check plants a fault
# (tools/patches.sh), or by a CMake option. It then races that build
# against the tree's on the trick's workloads, BENCH_RUNS runs (default 7)
# in turns, and prints a line for each trick and workload: the minimum and
# the median with the trick and without it, each pair marked when noisy,
# and their ratios, without over with, so that above 1 the trick gains.
# Each trick's last line ends with what the rule below says of it on this
# machine. It ends with the candidates to change and its own elapsed time.
# CONTRIBUTING.md says how a trick is decided across machines.
#
# usage: tools/bench-tricks.sh BUILD [TRICK...]
# BUILD is the tree's build of the bench preset; TRICKs, when given, are
# the only ones raced. BENCH_SCALE multiplies the sizes of the
# whole-program workloads.
set -euo pipefail
export LC_ALL=C
source_dir=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=bench/lib.sh
source "$source_dir/bench/lib.sh"
# shellcheck source=tools/patches.sh
source "$source_dir/tools/patches.sh"

# NAME CHANGE TARGET MEASURE...: CHANGE is "removes" or "adds" for a patch
# that takes the trick out or puts it back, followed by ":OPTION" when a
# CMake option does that instead; TARGET is the build target timed, or
# targets joined by commas; a MEASURE is "search:W", a search of workload W
# of bench/workloads.h as a whole program (scrivet), time with the searches
# less time without, or "figure:ARG...", the figure that the last TARGET
# prints for `TARGET figure ARG...`.
tricks=(
  "last-byte-pass-over adds scrivet,scrivet_search_bench search:a search:b search:c search:d figure:code figure:prose figure:poor"
  "rare-byte-first adds scrivet,scrivet_search_bench search:a figure:code figure:prose"
  "long-blocks removes scrivet,scrivet_search_bench search:c figure:poor"
  "block-compare removes scrivet_search_bench figure:prepare"
  "remove-prefetch removes scrivet_list_bench figure:remove:100000 figure:remove:1000000"
  "eager-index removes scrivet_list_bench figure:append"
  "lto adds:-DCMAKE_INTERPROCEDURAL_OPTIMIZATION=ON scrivet search:a"
  "find-prefetch adds scrivet search:a search:d"
)
# What each measure times, for the table.
declare -A described=(
  [search:a]="(a) whole program, ms a search"
  [search:b]="(b) whole program, ms a search"
  [search:c]="(c) whole program, ms a search"
  [search:d]="(d) whole program, ms a search"
  [figure:prepare]="32 KiB a...ab key, 4 MiB line of a, ms"
  [figure:code]="real code, every key once, ms"
  [figure:prose]="real prose, every key once, ms"
  [figure:poor]="keys of the text's common bytes, ms"
  [figure:remove:100000]="listRemove, 10^5 lines, us a delete"
  [figure:remove:1000000]="listRemove, 10^6 lines, us a delete"
  [figure:append]="10^6 appends / a bare chain's"
)

# The rule on this machine alone, by the ratios of the medians: a trick
# gains when some workload is at $gain or more and none is below $cost,
# costs when any is below $cost, and is neutral otherwise. A noisy figure
# is one that bench/lib.sh marks. CONTRIBUTING.md's "Speed tricks" states
# each in the words of the check below, and the script stops before
# building anything when it does not.
gain=1.10 cost=0.97

# verdict HAS RATIO...: what the rule says here of a trick whose workloads'
# ratios of the medians are RATIO... and which the tree has or lacks (HAS
# is "in tree" or "not in tree"): "gains", "costs" or "neutral", then HAS,
# then "candidate to change" for one the tree has that costs or one it
# lacks that gains, else "no change".
verdict() {
  awk -v gain="$gain" -v cost="$cost" -v has="$1" 'BEGIN {
    for (i = 1; i < ARGC; i++) {
      if (ARGV[i] + 0 < cost) costs = 1
      if (ARGV[i] + 0 >= gain) gains = 1
    }
    v = costs ? "costs" : gains ? "gains" : "neutral"
    change = has == "in tree" ? (v == "costs") : (v == "gains")
    printf "%s (%s): %s\n", v, has, change ? "candidate to change" : "no change"
  }' "${@:2}"
}

(($# >= 1)) || die "usage: tools/bench-tricks.sh BUILD [TRICK...]"
tree_build=$(cd "$1" && pwd)
if (($# > 1)); then
  only=" ${*:2} " chosen=()
  for trick in "${tricks[@]}"; do [[ $only != *" ${trick%% *} "* ]] || chosen+=("$trick"); done
  ((${#chosen[@]} == $# - 1)) || die "no such trick among: $(printf '%s ' "${tricks[@]%% *}")"
  tricks=("${chosen[@]}")
fi
rule=$(awk '/^## / { inside = ($0 == "## Speed tricks") } inside' "$source_dir/CONTRIBUTING.md")
for stated in "below $cost" "at $gain or more" "more than $noise% below"; do
  grep -qF -- "$stated" <<<"$rule" || die "CONTRIBUTING.md's \"Speed tricks\" does not say \"$stated\", as this script's rule has it"
done
sessions=$tree_build/bench/scrivet_sessions
bench_setup "$tree_build"/{scrivet/scrivet,bench/scrivet_list_bench,bench/scrivet_search_bench}
for tool in cmake git tar; do
  command -v "$tool" >/dev/null || die "$tool was not found (Debian: sudo apt-get install $tool)"
done
started=$SECONDS

# binary TARGET: where a build folder holds TARGET.
binary() { [[ $1 == scrivet ]] && echo scrivet/scrivet || echo "bench/$1"; }

machine "$tree_build"
echo "speed tricks: BENCH_SCALE=$scale, BENCH_RUNS=$runs; building each trick's other build"
mkdir "$work/tree" "$work/bin"
(cd "$source_dir" && tree_copy "$work/tree")
cd "$work/tree"
configure() { cmake --preset bench -B "$1" "${@:2}" >"$work/configure.log" 2>&1 || { cat "$work/configure.log" >&2; exit 1; }; }
build() {
  cmake --build "$1" --parallel "$(nproc)" --target "$2" >"$work/build.log" 2>&1 ||
    { cat "$work/build.log" >&2; die "the build of $2 for $3 failed"; }
}
# build_targets FOLDER: builds each of the trick's targets in FOLDER and
# keeps a copy of each as $work/bin/NAME.TARGET.
build_targets() {
  for each in ${target//,/ }; do
    build "$1" "$each" "$name"
    cp "$1/$(binary "$each")" "$work/bin/$name.$each"
  done
}
configure build/bench
for trick in "${tricks[@]}"; do
  read -r name change target _ <<<"$trick"
  if [[ $change == *:* ]]; then
    configure "build/$name" "${change#*:}"
    build_targets "build/$name"
  else
    patch_apply "$source_dir/bench/tricks/$name.patch" || die "bench/tricks/$name.patch does not apply"
    build_targets build/bench
    patch_revert "$source_dir/bench/tricks/$name.patch"
  fi
done
cd "$work"

# The whole-program workloads the table needs, each with as many searches
# as take a few seconds, so that the time of the load they are less weighs
# little.
declare -A wanted=([a]=300 [b]=100 [c]=2000 [d]=15)
for workload in a b c d; do
  if [[ " ${tricks[*]} " == *" search:$workload "* ]]; then
    write_workload "$workload" "$(lines 2000000)" "${wanted[$workload]}"
  fi
done

# measure MEASURE PROGRAM: the figure of one run.
measure() {
  local -a words
  IFS=: read -ra words <<<"$1"
  if [[ ${words[0]} == search ]]; then
    search_ms "$2" "${words[1]}"
  else
    "$2" figure "${words[@]:1}"
  fi
}

# line TRICK WORKLOAD WITH MARK WITHOUT MARK RATIOS [VERDICT]: a line of
# the table, its columns as wide as its header's, a MARK after each pair.
line() { printf '%-16s %-40s %18s%1s %18s%1s %15s%s\n' "${@:1:7}" "${8:+  $8}"; }
echo
line trick workload "with: min, med" "" "without: min, med" "" "ratio: min, med" "on this machine"
candidates=() marked=0
for trick in "${tricks[@]}"; do
  read -r name change target measures <<<"$trick"
  read -ra measures <<<"$measures"
  has="in tree" ratios=()
  [[ ${change%%:*} != adds ]] || has="not in tree"
  for ((i = 0; i < ${#measures[@]}; i++)); do
    what=${measures[i]}
    # A whole-program search runs scrivet, a figure the other target.
    program=${target##*,}
    [[ $what != search:* ]] || program=scrivet
    tree=$tree_build/$(binary "$program") other=$work/bin/$name.$program
    read -r tmin tmed omin omed <<<"$(race "measure $what $tree" "measure $what $other")"
    if [[ $has == "in tree" ]]; then
      read -r wmin wmed nmin nmed <<<"$tmin $tmed $omin $omed"
    else
      read -r wmin wmed nmin nmed <<<"$omin $omed $tmin $tmed"
    fi
    # The two pairs, each with its mark, "*" when noisy, and the ratios.
    IFS='|' read -r with without ratio <<<"$(awk -v a="$wmin" -v b="$wmed" -v c="$nmin" -v d="$nmed" '
      BEGIN { printf "%8.3f, %8.3f|%8.3f, %8.3f|%6.2f, %6.2f\n", a, b, c, d, c / a, d / b }')"
    wmark=$(noisy "$wmin" "$wmed") nmark=$(noisy "$nmin" "$nmed")
    [[ -z $wmark$nmark ]] || marked=1
    ratios+=("${ratio##* }")
    said=""
    if ((i + 1 == ${#measures[@]})); then
      said=$(verdict "$has" "${ratios[@]}")
      [[ $said != *candidate* ]] || candidates+=("$name")
    fi
    line "$name" "${described[$what]}" "$with" "$wmark" "$without" "$nmark" "$ratio" "$said"
  done
done
echo
((marked == 0)) || noisy_note
echo "On this machine alone, by the medians; CONTRIBUTING.md decides across machines."
echo "Candidates to change: ${candidates[*]:-none}"
echo "make bench-tricks took $(((SECONDS - started) / 60)) min $(((SECONDS - started) % 60)) s"
