# shellcheck shell=bash
# Shared by the test scripts: a scratch folder $work, removed on exit; fail,
# which reports a failure and counts it in $failures; check, which runs a
# program and compares what it writes; and finish, which ends the script.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
shown=0
unshown=()

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# check NAME WANT_STATUS WANT_STDOUT_FILE WANT_STDERR -- COMMAND...
# Runs COMMAND with the stdin already set up by the caller. The first few
# outputs that differ are shown as diffs, even of bytes that are not text
# (made visible by cat -v), the rest only named by finish.
check() {
  local name=$1 want_status=$2 want_out=$3 want_err=$4
  shift 5
  "$@" >"$work/out" 2>"$work/err"
  local status=$?
  [[ $status == "$want_status" ]] || fail "$name: exit status $status, expected $want_status"
  if cmp -s "$work/out" "$want_out"; then
    :
  elif ((shown < 3)); then
    fail "$name: stdout differs from $want_out (- expected, + written):"
    diff -u --text "$want_out" "$work/out" | sed -n '3,12p' | cat -v
    shown=$((shown + 1))
  else
    failures=$((failures + 1))
    unshown+=("$name")
  fi
  [[ $(cat "$work/err") == "$want_err" ]] || fail "$name: stderr was '$(cat "$work/err")'"
}

# finish SUMMARY: exits 1 after the names of the outputs that check did not
# show and the count of failures when there was any, else 0 after SUMMARY.
finish() {
  if ((${#unshown[@]} > 0)); then
    echo "FAIL: the stdout of ${#unshown[@]} more differs too: ${unshown[*]}"
  fi
  if ((failures > 0)); then
    echo "$failures failure(s)"
    exit 1
  fi
  echo "$1"
  exit 0
}

# quotable_bytes FILE DOUBLINGS: writes to FILE the 254 byte values other
# than newline and double quote, in order, repeated 2^DOUBLINGS times.
quotable_bytes() {
  local file=$1 doublings=$2 b i
  for ((b = 0; b < 256; b++)); do
    ((b == 10 || b == 34)) || printf '%b' "\\$(printf '%03o' "$b")"
  done >"$file"
  for ((i = 0; i < doublings; i++)); do
    cat "$file" "$file" >"$file.double" && mv "$file.double" "$file"
  done
}

# replay_examples BIN_PATH NORMALISE SOURCE: replays the example sessions of
# each block file $work/block.*, which the caller has cut out of SOURCE,
# counts them in $examples, and fails each one that does not write what its
# block shows, and SOURCE when it shows none. A session is a line "$ COMMAND", continued
# while a line ends with a backslash and, when the command opens a
# here-document (<<WORD, <<'WORD' or <<"WORD"), up to the line WORD; then
# the output shown, up to the next "$ " line or the end of the block.
# COMMAND runs under bash in a scratch folder, with BIN_PATH (folders, each
# followed by a colon) before $PATH, no standard input and standard error
# merged into the output. NORMALISE (a command: cat, or a filter of the
# caller's) reads both outputs before they are compared.
replay_examples() {
  local path=$1 normalise=$2 source=$3 block line command state terminator
  local heredoc="(^|[^<])<<-?[[:blank:]]*[\"']?([A-Za-z_][A-Za-z0-9_]*)"
  examples=0
  mkdir -p "$work/examples"
  for block in "$work"/block.*; do
    [[ -f $block ]] || continue
    state=none
    while IFS= read -r line; do
      if [[ $state == continued || $state == heredoc ]]; then
        command+=$'\n'$line
      elif [[ $line == '$ '* ]]; then
        [[ $state == output ]] && replay_example "$path" "$normalise"
        command=${line#'$ '}
        : >"$work/shown"
      elif [[ $state == output ]]; then
        printf '%s\n' "$line" >>"$work/shown"
        continue
      else
        fail "an example shows output before any command: '$line'"
        continue
      fi
      # The line belongs to the command; the next one may too.
      if [[ $state == heredoc ]]; then
        [[ $line == "$terminator" ]] && state=output
      elif [[ $line == *\\ ]]; then
        state=continued
      elif [[ $command =~ $heredoc ]]; then
        terminator=${BASH_REMATCH[2]} state=heredoc
      else
        state=output
      fi
    done <"$block"
    case $state in
      output) replay_example "$path" "$normalise" ;;
      continued | heredoc) fail "an example ends inside its command: \$ ${command%%$'\n'*}" ;;
    esac
  done
  ((examples > 0)) || fail "$source shows no example"
}

# replay_example BIN_PATH NORMALISE: runs $command and compares what it
# writes with $work/shown, as replay_examples says.
replay_example() {
  examples=$((examples + 1))
  "$2" <"$work/shown" >"$work/want"
  (cd "$work/examples" && PATH=$1$PATH bash -c "$command" </dev/null 2>&1) | "$2" >"$work/got"
  if ! cmp -s "$work/want" "$work/got"; then
    fail "example $examples does not write what it shows (- shown, + written): \$ ${command%%$'\n'*}"
    diff -u "$work/want" "$work/got" | sed -n '3,14p'
  fi
}
