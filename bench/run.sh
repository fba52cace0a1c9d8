#!/usr/bin/env bash
# Times scrivet against GNU ed on the same generated sessions, on this
# machine and in this run: best of 3 wall-clock seconds for scrivet and one
# run of ed (which takes up to half a minute and varies little), standard
# output to /dev/null, and scrivet's peak memory (max RSS). Then the edit
# patterns that hurt a line index most, each against plain appends of as
# many lines; scrivet's search against the same program with the standard
# library's searcher; and the cost of scrivet-prompt's numbered inserts.
#
# usage: bench/run.sh PATH/TO/scrivet PATH/TO/scrivet-prompt PATH/TO/scrivet_std_search
# BENCH_SCALE (default 1) multiplies every line count: BENCH_SCALE=0.01 is
# a smoke run of a few seconds.
#
# Every session exists twice, written by one awk program from the same
# seeded random numbers: as scrivet commands and as the ed commands that do
# the same, one for one (insertEnd "t" is $a, insert p "t" is p i, or $a
# one past the end, delete p is p d, edit p "t" is p c, print is ,n,
# search "t" is g/t/n, quit is Q). A command that ed cannot carry out would
# make the race unfair, so before timing, both programs run every session
# at a small size with a listing at the end, and their outputs must match
# (ed's tab after a line number read as a blank) line for line.
set -euo pipefail
export LC_ALL=C

die() {
  echo "bench/run.sh: $*" >&2
  exit 1
}

(($# == 3)) ||
  die "usage: bench/run.sh PATH/TO/scrivet PATH/TO/scrivet-prompt PATH/TO/scrivet_std_search"
scrivet=$1 prompt=$2 std_search=$3
for program in "$scrivet" "$prompt" "$std_search"; do
  [[ -x $program ]] || die "$program is not an executable program (make bench builds it)"
done
# The index's block size in a build that does not set it.
block=$(sed -n 's/^#define SCRIVET_INDEX_CAPACITY \([0-9]*\)$/\1/p' \
  "$(dirname "$0")/../scrivet/line_index.h")
[[ $block =~ ^[0-9]+$ ]] || die "cannot read the index's block size from scrivet/line_index.h"
[[ -x /usr/bin/time ]] ||
  die "/usr/bin/time is missing; it measures peak memory (Debian: sudo apt-get install time)"
command -v awk >/dev/null || die "awk is missing (Debian: sudo apt-get install mawk)"
[[ -n ${EPOCHREALTIME:-} ]] || die "bash 5 or newer is needed (for EPOCHREALTIME)"
scale=${BENCH_SCALE:-1}
if ! [[ $scale =~ ^[0-9]*\.?[0-9]+$ ]] || ! awk -v s="$scale" 'BEGIN { exit !(s > 0) }'; then
  die "BENCH_SCALE must be a positive number, not '$scale'"
fi
ed=$(command -v ed || true)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# generate KIND LINES CHECK: writes $work/KIND.scrivet and $work/KIND.ed and
# prints how many lines of output the session writes. A CHECK of 1 ends
# every session with a listing of the whole document. The kinds boundary,
# offblock and first build their LINES lines by inserting at one line
# number, after the appends that make it the end of the document: the
# block size (the line before it ends a full block), 1000, and 1.
generate() {
  awk -v kind="$1" -v n="$2" -v check="$3" -v block="$block" \
    -v sc="$work/$1.scrivet" -v ed="$work/$1.ed" '
    # A uniform random number in 1..m (MINSTD; exact in awk doubles).
    function random(m) {
      seed = (seed * 48271) % 2147483647
      return 1 + seed % m
    }
    # 40 bytes for i below 10^7, with the tag kNNN; where NNN = (i - 1)
    # mod 1000; nothing else holds a "k", so a tag is in 1 line in 1000.
    function text(word, i) {
      return sprintf("%s %07d k%03d; the quick brown foxes", word, i, (i - 1) % 1000)
    }
    function append(t) {
      print "insertEnd \"" t "\"" > sc
      print "$a\n" t "\n." > ed
      lines++
    }
    function insert(p, t) {
      print "insert " p " \"" t "\"" > sc
      if (lines == 0) print "0a" > ed
      else if (p == lines + 1) print "$a" > ed
      else print p "i" > ed
      print t "\n." > ed
      lines++
    }
    function remove(p) {
      print "delete " p > sc
      print p "d" > ed
      lines--
    }
    function edit(p, t) {
      print "edit " p " \"" t "\"" > sc
      print p "c\n" t "\n." > ed
    }
    function list() {
      print "print" > sc
      print ",n" > ed
      shown += lines
    }
    # For the document as appended, whose lines tagged counts by tag.
    function search(tag) {
      key = sprintf("k%03d;", tag)
      print "search \"" key "\"" > sc
      print "g/" key "/n" > ed
      shown += tagged[tag]
    }
    BEGIN {
      seed = 20240607
      at = kind == "boundary" ? block : kind == "offblock" ? 1000 : kind == "first" ? 1 : 0
      appends = at > 0 ? at - 1 : n
      for (i = 1; i <= appends; i++) {
        append(text("line", i))
        tagged[(i - 1) % 1000]++
      }
      for (i = appends + 1; i <= n; i++) insert(at, text("line", i))
      if (kind == "print") {
        list()
      } else if (kind == "search") {
        for (s = 1; s <= 200; s++) search(random(n < 1000 ? n : 1000) - 1)
      } else if (kind == "seqedit") {
        for (i = 1; i <= n; i++) edit(i, text("edit", i))
      } else if (kind == "random") {
        for (k = 1; k <= int(n / 10); k++) {
          insert(random(lines + 1), text("ins.", n + k))
          remove(random(lines))
        }
        list()
      }
      if (check && kind != "print" && kind != "random") list()
      print "quit" > sc
      print "Q" > ed
      print shown
    }'
}

# lines BASE: BASE times BENCH_SCALE, rounded, at least 10.
lines() {
  awk -v b="$1" -v s="$scale" 'BEGIN { n = int(b * s + 0.5); print (n < 10 ? 10 : n) }'
}

# check KIND: runs the session KIND at 3000 lines through scrivet and ed
# and fails unless both write the expected number of lines, the same ones.
check() {
  local want
  want=$(generate "$1" 3000 1)
  "$scrivet" <"$work/$1.scrivet" >"$work/scrivet.out" || die "scrivet failed on the $1 session"
  [[ $(wc -l <"$work/scrivet.out") == "$want" ]] ||
    die "scrivet wrote $(wc -l <"$work/scrivet.out") lines for the $1 session, not $want"
  if [[ -n $ed ]]; then
    "$ed" -s <"$work/$1.ed" >"$work/ed.out" 2>&1 || die "ed stopped with an error on the $1 session"
    tr '\t' ' ' <"$work/ed.out" | cmp -s - "$work/scrivet.out" ||
      die "ed and scrivet disagree on the $1 session"
  fi
}

# best_of RUNS INPUT COMMAND...: runs COMMAND RUNS times on INPUT, output
# discarded, and sets micros to the shortest wall-clock time in
# microseconds and peak to the largest max RSS in kilobytes.
best_of() {
  local runs=$1 input=$2 start elapsed run
  shift 2
  micros=0 peak=0
  for ((run = 1; run <= runs; run++)); do
    start=$EPOCHREALTIME
    /usr/bin/time -f %M -o "$work/rss" "$@" <"$input" >/dev/null 2>"$work/err" ||
      die "$* failed on ${input##*/} (run $run): $(head -c 300 "$work/err")"
    elapsed=$EPOCHREALTIME
    ((elapsed = ${elapsed/./} - ${start/./}))
    if ((micros == 0 || elapsed < micros)); then micros=$elapsed; fi
    run=$(tail -n 1 "$work/rss")
    if ((run > peak)); then peak=$run; fi
  done
}

seconds() { awk -v u="$1" 'BEGIN { printf "%.3f", u / 1e6 }'; }
milliseconds() { awk -v u="$1" 'BEGIN { printf "%.2f", u / 1e3 }'; }
megabytes() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.1f", a / b; else print "-" }'; }
# target DESCRIPTION VALUE BASE LIMIT: prints the ratio VALUE / BASE against
# LIMIT, and whether it is met.
target() {
  awk -v d="$1" -v a="$2" -v b="$3" -v l="$4" 'BEGIN {
    r = a / b
    printf "target  %-60s %8.2f  (at most %.2f)  %s\n", d, r, l, r <= l ? "met" : "NOT MET"
  }'
}

echo "scrivet: $scrivet"
if [[ -n $ed ]]; then
  echo "ed: $("$ed" --version 2>/dev/null | head -n 1 || true) ($ed)"
else
  echo "ed is not installed, so its columns show '-' (Debian: sudo apt-get install ed)"
fi
echo "BENCH_SCALE=$scale; wall-clock seconds, scrivet best of 3, ed one run; output to /dev/null"

for kind in load print search seqedit random boundary offblock first; do
  check "$kind"
done
if [[ -n $ed ]]; then
  echo "checked: scrivet and ed write the same lines for every session at 3000 lines"
fi
echo

format="%-8s %8s %10s %10s %11s %11s\n"
# shellcheck disable=SC2059
printf "$format" workload lines "scrivet s" "ed s" "ed/scrivet" "scrivet MB"
for workload in load:500000 print:500000 search:50000 seqedit:100000 random:200000; do
  kind=${workload%%:*}
  n=$(lines "${workload#*:}")
  echo "running $kind at $n lines" >&2
  generate "$kind" "$n" 0 >/dev/null
  best_of 3 "$work/$kind.scrivet" "$scrivet"
  scrivet_micros=$micros scrivet_peak=$peak
  ed_seconds=- ed_ratio=-
  if [[ -n $ed ]]; then
    best_of 1 "$work/$kind.ed" "$ed" -s
    ed_seconds=$(seconds "$micros")
    ed_ratio=$(ratio "$micros" "$scrivet_micros")
  fi
  # shellcheck disable=SC2059
  printf "$format" "$kind" "$n" "$(seconds "$scrivet_micros")" "$ed_seconds" "$ed_ratio" \
    "$(megabytes "$scrivet_peak")"
  rm -f "$work/$kind.scrivet" "$work/$kind.ed"
done

n=$(lines 1000000)
generate load "$n" 0 >/dev/null
/usr/bin/time -f %M -o "$work/rss" "$scrivet" <"$work/load.scrivet" >/dev/null ||
  die "scrivet failed on $n appended lines"
echo
echo "scrivet peak memory for $n appended lines of 40 bytes:" \
  "$(megabytes "$(tail -n 1 "$work/rss")") MB"

# scrivet's search against the same program with std::boyer_moore_searcher
# in its find (scrivet_std_search), on N lines of 44 bytes and 100 searches
# for the 15-byte key that the middle line holds. A search takes the time
# of that session less the time of the same session without the searches;
# medians of 5 runs, the two programs taking turns.
n=$(lines 2000000)
awk -v n="$n" -v searches="$work/searches" -v load="$work/load" 'BEGIN {
  for (i = 1; i <= n; i++) {
    line = sprintf("insertEnd \"line %07d k%03d; the quick brown foxes run\"", i, (i - 1) % 1000)
    print line > searches
    print line > load
  }
  m = int((n + 1) / 2)
  key = sprintf("%07d k%03d; t", m, (m - 1) % 1000)
  for (s = 1; s <= 100; s++) print "search \"" key "\"" > searches
  print "quit" > searches
  print "quit" > load
}'
"$scrivet" <"$work/searches" >"$work/scrivet.out" || die "scrivet failed on the searches"
"$std_search" <"$work/searches" >"$work/std.out" || die "scrivet_std_search failed on the searches"
if [[ $(wc -l <"$work/scrivet.out") != 100 ]] || ! cmp -s "$work/scrivet.out" "$work/std.out"; then
  die "scrivet and scrivet_std_search do not write the same 100 lines for the searches"
fi
# median FILE: the middle of the numbers in FILE, one a line.
median() { sort -n "$1" | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
for _ in 1 2 3 4 5; do
  for program in "$scrivet" "$std_search"; do
    for session in load searches; do
      best_of 1 "$work/$session" "$program"
      echo "$micros" >>"$work/$(basename "$program").$session"
    done
  done
done
per_search() {
  awk -v s="$(median "$work/$1.searches")" -v l="$(median "$work/$1.load")" \
    'BEGIN { print (s - l) / 100 }'
}
ours=$(per_search "$(basename "$scrivet")")
theirs=$(per_search "$(basename "$std_search")")
echo
echo "search of $n lines of 44 bytes for a rare 15-byte key, ms per search, as whole programs:" \
  "scrivet $(milliseconds "$ours"), with std::boyer_moore_searcher $(milliseconds "$theirs")"
target "search: scrivet / scrivet with std::boyer_moore_searcher" "$ours" "$theirs" 1.1
rm -f "$work/searches" "$work/load"

# The edit patterns that defeat a careless index, each against the appends
# of as many lines, timed in turn in this run.
n=$(lines 500000)
echo
echo "scrivet, $n lines of 40 bytes built by inserting at one line number, against appending them"
format="%-44s %10s %11s\n"
# shellcheck disable=SC2059
printf "$format" "pattern" "scrivet s" "scrivet MB"
generate load "$n" 0 >/dev/null
best_of 3 "$work/load.scrivet" "$scrivet"
append_micros=$micros append_peak=$peak
# shellcheck disable=SC2059
printf "$format" "appends" "$(seconds "$micros")" "$(megabytes "$peak")"
declare -A described=(
  [boundary]="insert $block after $((block - 1)) appends (a block boundary)"
  [offblock]="insert 1000 after 999 appends"
  [first]="insert 1"
)
results=()
for kind in boundary offblock first; do
  echo "running $kind at $n lines" >&2
  generate "$kind" "$n" 0 >/dev/null
  best_of 3 "$work/$kind.scrivet" "$scrivet"
  # shellcheck disable=SC2059
  printf "$format" "${described[$kind]}" "$(seconds "$micros")" "$(megabytes "$peak")"
  results+=("$(target "${described[$kind]}: time / appends' time" "$micros" "$append_micros" 3)")
  results+=("$(target "${described[$kind]}: peak memory / appends'" "$peak" "$append_peak" 1.3)")
  rm -f "$work/$kind.scrivet" "$work/$kind.ed"
done
printf '%s\n' "${results[@]}"

# scrivet-prompt numbers its entries, so an insert renumbers every entry
# above it: quadratic, shown here so that the figure stays in sight.
n=$(lines 40000)
awk -v n="$n" 'BEGIN {
  for (i = 1; i <= n; i++) print "insertEnd an entry of the prompted editor"
  for (i = 1; i <= n; i++) print "insert 1 an entry put first"
  print "quit"
}' >"$work/prompt-inserts"
awk -v n="$n" 'BEGIN {
  for (i = 1; i <= 2 * n; i++) print "insertEnd an entry of the prompted editor"
  print "quit"
}' >"$work/prompt-appends"
best_of 1 "$work/prompt-appends" "$prompt"
appends=$micros
best_of 1 "$work/prompt-inserts" "$prompt"
echo
echo "scrivet-prompt: $n entries, then $n times 'insert 1': $(seconds "$micros") s" \
  "($((2 * n)) appends: $(seconds "$appends") s); no target"
