#!/usr/bin/env bash
# Re-decides every speed trick on this machine. It prints first the machine,
# the compiler and the commit. For each trick in the table below, it builds
# the program without the trick, or, for one that was taken out, with it
# put back: in a scratch copy of the tree, by the patch
# bench/tricks/NAME.patch, planted as make fault-check plants a fault
# (tools/patches.sh), or by a CMake option. It then races that build
# against the tree's on the trick's workloads, BENCH_RUNS runs (default 7)
# in turns, and prints a line for each trick and workload: the minimum and
# the median with the trick and without it, and their ratios, without over
# with, so that above 1 the trick gains. It ends with its own elapsed time.
# CONTRIBUTING.md says how a trick is decided on these figures.
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
# CMake option does that instead; TARGET is the build target timed; a
# MEASURE is "search:W", a search of workload W of bench/workloads.h as a
# whole program, time with the searches less time without, or
# "figure:ARG...", the figure that TARGET prints for `TARGET figure ARG...`.
tricks=(
  "skip-table removes scrivet search:a"
  "memchr removes scrivet search:b search:c"
  "block-compare removes scrivet_search_bench figure:prepare"
  "one-loop adds scrivet search:a"
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
  [figure:remove:100000]="listRemove, 10^5 lines, us a delete"
  [figure:remove:1000000]="listRemove, 10^6 lines, us a delete"
  [figure:append]="10^6 appends / a bare chain's"
)

(($# >= 1)) || die "usage: tools/bench-tricks.sh BUILD [TRICK...]"
tree_build=$(cd "$1" && pwd)
if (($# > 1)); then
  only=" ${*:2} " chosen=()
  for trick in "${tricks[@]}"; do [[ $only != *" ${trick%% *} "* ]] || chosen+=("$trick"); done
  ((${#chosen[@]} == $# - 1)) || die "no such trick among: $(printf '%s ' "${tricks[@]%% *}")"
  tricks=("${chosen[@]}")
fi
sessions=$tree_build/bench/scrivet_sessions
bench_setup "$tree_build"/{scrivet/scrivet,bench/scrivet_list_bench,bench/scrivet_search_bench}
for tool in cmake patch tar; do
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
configure build/bench
for trick in "${tricks[@]}"; do
  read -r name change target _ <<<"$trick"
  if [[ $change == *:* ]]; then
    configure "build/$name" "${change#*:}"
    build "build/$name" "$target" "$name"
    cp "build/$name/$(binary "$target")" "$work/bin/$name"
  else
    patch_apply "$source_dir/bench/tricks/$name.patch" || die "bench/tricks/$name.patch does not apply"
    build build/bench "$target" "$name"
    cp "build/bench/$(binary "$target")" "$work/bin/$name"
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

# The header's fields are as wide as the figures' columns below it.
echo
printf '%-16s %-40s %18s %18s %15s\n' trick workload "with: min, med" "without: min, med" "ratio: min, med"
for trick in "${tricks[@]}"; do
  read -r name change target measures <<<"$trick"
  tree=$tree_build/$(binary "$target") other=$work/bin/$name
  for what in $measures; do
    read -r tmin tmed omin omed <<<"$(race "measure $what $tree" "measure $what $other")"
    if [[ ${change%%:*} == adds ]]; then
      read -r wmin wmed nmin nmed <<<"$omin $omed $tmin $tmed"
    else
      read -r wmin wmed nmin nmed <<<"$tmin $tmed $omin $omed"
    fi
    awk -v t="$name" -v w="${described[$what]}" -v a="$wmin" -v b="$wmed" -v c="$nmin" -v d="$nmed" \
      'BEGIN { printf "%-16s %-40s %8.3f, %8.3f %8.3f, %8.3f %7.2f, %6.2f\n", t, w, a, b, c, d, c / a, d / b }'
  done
done
echo
echo "make bench-tricks took $(((SECONDS - started) / 60)) min $(((SECONDS - started) % 60)) s"
