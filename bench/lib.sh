# shellcheck shell=bash
# What make bench, bench/programs.sh and tools/bench-tricks.sh share: the
# machine and the build the figures are taken on, session files written by
# scrivet_sessions (whose path the caller sets in $sessions), whole
# programs timed on them, and races of two measurements in turns.

die() {
  echo "${0##*/}: $*" >&2
  exit 1
}

# machine BUILD: prints what the figures that follow are taken on, as the
# Machines table of docs/performance.md records it: the CPU's model name,
# its family and model, and "a virtual machine" when its flags say so (all
# from /proc/cpuinfo, and said to be missing where it does not give them),
# the cores this process may use and the memory; then the compiler that
# made the build folder BUILD and the commit of the tree it was made from.
machine() {
  local cpu="CPU model name, family and model not given (no /proc/cpuinfo)" memory=""
  local cache=$1/CMakeCache.txt compiler tree commit
  if [[ -r /proc/cpuinfo ]]; then
    cpu=$(awk '/^$/ { exit }
      { key = $0; sub(/[ \t]*:.*/, "", key); value = $0; sub(/^[^:]*:[ \t]*/, "", value) }
      key == "model name" { name = value }
      key == "cpu family" { family = value }
      key == "model" { model = value }
      key == "flags" && (" " value " ") ~ / hypervisor / { virtual = 1 }
      END {
        printf "%s, ", name != "" ? name : "CPU model name not given"
        printf "%s", family != "" && model != "" ? "CPU family " family ", model " model : "CPU family and model not given"
        if (virtual) printf ", a virtual machine"
      }' /proc/cpuinfo)
  fi
  [[ ! -r /proc/meminfo ]] || memory=$(awk '$1 == "MemTotal:" { printf "%d GiB of memory", $2 / 1048576 }' /proc/meminfo)
  echo "machine: $cpu; $(nproc) cores, ${memory:-memory not given by /proc/meminfo}"
  compiler=$(sed -n 's/^CMAKE_CXX_COMPILER:[A-Z]*=//p' "$cache")
  tree=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$cache")
  if commit=$(git -C "$tree" rev-parse --short HEAD 2>/dev/null); then
    commit="at commit $commit"
    [[ -z $(git -C "$tree" status --porcelain) ]] || commit+=", with changes not committed"
  else
    commit="commit not known (no git checkout found at $tree)"
  fi
  echo "build: $1, by $("$compiler" --version | head -n 1), $commit"
}

# bench_setup [PROGRAM...]: checks the programs and what the timing needs,
# reads BENCH_SCALE (default 1: the sizes of docs/performance.md) and
# BENCH_RUNS (default 7), and makes the scratch folder $work.
bench_setup() {
  [[ -n ${EPOCHREALTIME:-} ]] || die "bash 5 or newer is needed (for EPOCHREALTIME)"
  [[ -x /usr/bin/time ]] || die "/usr/bin/time measures peak memory (Debian: sudo apt-get install time)"
  for program in "${sessions:?}" "$@"; do
    [[ -x $program ]] || die "$program is not an executable program (make bench builds it)"
  done
  scale=${BENCH_SCALE:-1} runs=${BENCH_RUNS:-7}
  if ! [[ $scale =~ ^[0-9]*\.?[0-9]+$ ]] || ! awk -v s="$scale" 'BEGIN { exit !(s > 0) }'; then
    die "BENCH_SCALE must be a positive number, not '$scale'"
  fi
  [[ $runs =~ ^[1-9][0-9]*$ ]] || die "BENCH_RUNS must be a positive whole number, not '$runs'"
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
}

# lines BASE: BASE times BENCH_SCALE, rounded, at least 10. quotient A B
# [DIGITS]: A / B, with DIGITS decimals (default 3).
lines() { awk -v b="$1" -v s="$scale" 'BEGIN { n = int(b * s + 0.5); print (n < 10 ? 10 : n) }'; }
quotient() { awk -v a="$1" -v b="$2" -v d="${3:-3}" 'BEGIN { printf "%.*f\n", d, a / b }'; }

# write_workload W LINES SEARCHES: $work/W.load builds the search workload
# W of LINES lines and quits; $work/W.search searches it SEARCHES times too.
declare -A searches
write_workload() {
  "$sessions" "$1" "$2" >"$work/$1.load"
  "$sessions" "$1" "$2" "$3" >"$work/$1.search"
  searches[$1]=$3
}

# best_of RUNS INPUT COMMAND...: runs COMMAND RUNS times on INPUT, its
# output to $work/out, and sets micros to the least wall-clock time in
# microseconds and peak to the most max RSS in kilobytes.
best_of() {
  local count=$1 input=$2 start elapsed rss
  shift 2
  micros=0 peak=0
  for ((; count > 0; count--)); do
    start=$EPOCHREALTIME
    /usr/bin/time -f %M -o "$work/rss" "$@" <"$input" >"$work/out" 2>"$work/err" ||
      die "$* failed on ${input##*/}: $(head -c 300 "$work/err")"
    elapsed=$((${EPOCHREALTIME/./} - ${start/./}))
    ((micros > 0 && micros <= elapsed)) || micros=$elapsed
    rss=$(tail -n 1 "$work/rss")
    ((peak >= rss)) || peak=$rss
  done
}

# search_ms PROGRAM W: the milliseconds of one search of workload W by
# PROGRAM, the time of W.search less that of W.load, over the searches.
search_ms() {
  best_of 1 "$work/$2.load" "$1"
  local load=$micros
  best_of 1 "$work/$2.search" "$1"
  awk -v s="$micros" -v l="$load" -v n="${searches[$2]}" 'BEGIN { printf "%.3f\n", (s - l) / n / 1e3 }'
}

# race "MEASURE ARGS..." "MEASURE ARGS...": runs each measure, a command
# that prints one figure, $runs times, in turns, each going first every
# other run, so that the machine's slower moments fall on both alike.
# Prints the least and the median of each: MIN_A MEDIAN_A MIN_B MEDIAN_B.
race() {
  local run first second a b as=() bs=()
  read -ra a <<<"$1"
  read -ra b <<<"$2"
  for ((run = 0; run < runs; run++)); do
    if ((run % 2 == 0)); then
      first=$("${a[@]}") second=$("${b[@]}")
    else
      second=$("${b[@]}") first=$("${a[@]}")
    fi
    as+=("$first") bs+=("$second")
  done
  echo "$(min_median "$1" "${as[@]}") $(min_median "$2" "${bs[@]}")"
}

# A figure whose minimum lies more than $noise% of its median below it is
# noisy: the machine was busy during its race. noisy MIN MEDIAN prints "*"
# for such a figure, and nothing for another; noisy_note says what it means.
noise=20
noisy() { awk -v a="$1" -v b="$2" -v n="$noise" 'BEGIN { if (a < b * (1 - n / 100)) printf "*" }'; }
noisy_note() { echo "*: noisy, its minimum more than $noise% below its median; take the runs again, or record it marked"; }

# min_median WHAT FIGURE...: the least and the middle FIGURE.
min_median() {
  printf '%s\n' "${@:2}" | sort -g | awk '$1 !~ /^[0-9.e+-]+$/ { bad = 1 } { v[NR] = $1 }
    END { if (bad || NR == 0) exit 1; print v[1], v[int((NR + 1) / 2)] }' ||
    die "$1 did not print a figure"
}

# target DESCRIPTION VALUE LIMIT: prints VALUE against LIMIT, and whether
# it is met, as the benchmarks print their targets.
target() {
  awk -v d="$1" -v v="$2" -v l="$3" 'BEGIN {
    printf "target  %-60s %8.2f  (at most %.2f)  %s\n", d, v, l, v <= l ? "met" : "NOT MET"
  }'
}
