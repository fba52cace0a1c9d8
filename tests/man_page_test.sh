#!/usr/bin/env bash
# Checks a generated manual page: groff renders it without a single warning,
# its footer carries the project version, and every example session under
# EXAMPLES writes exactly what the page shows when run against the built
# programs (trailing blanks at line ends and empty lines at the very end
# aside, since the rendering drops them). command_words_test.sh checks its
# entry for each command word.
# usage: man_page_test.sh PAGE VERSION BIN_DIR...
set -u
page=$1 version=$2
shift 2
path=
for dir; do
  path=$(cd "$dir" && pwd):$path
done
if ! command -v groff >/dev/null; then
  echo "FAIL: groff was not found: install it (Debian: sudo apt-get install groff-base)"
  exit 1
fi
# shellcheck source=tests/lib.sh
source "$(dirname "$0")/lib.sh"

# Any warning at all, or a failed run, fails the page.
groff -man -ww -z "$page" 2>"$work/warnings"
status=$?
((status == 0)) || fail "groff exited with status $status"
if [[ -s $work/warnings ]]; then
  fail "groff wrote to standard error:"
  cat "$work/warnings"
fi

# Plain text: no overstriking, and no hyphenation, so every word is whole.
groff -man -Tascii -P-cbou -rHY=0 "$page" 2>/dev/null >"$work/page.txt"
# Text between a section heading and the next; headings start in column 1.
section() {
  awk -v name="$1" '/^[^ ]/ { on = ($0 == name); next } on' "$work/page.txt"
}

grep -q '@[A-Za-z_]*@' "$page" && fail "a @VARIABLE@ was left unsubstituted"
tail -n 1 "$work/page.txt" | grep -q "^Scrivet $version " ||
  fail "the footer does not name Scrivet $version: '$(tail -n 1 "$work/page.txt")'"

# Example sessions, as tests/lib.sh's replay_examples reads them: each
# indented run of lines under EXAMPLES is a block. The rendering drops
# blanks at line ends and empty lines at the very end, so both outputs lose
# them before they are compared.
# shellcheck disable=SC2317 # replay_examples calls it by name
trim_rendering() {
  sed -e 's/[[:blank:]]*$//' | sed -e ':a' -e '/^\n*$/{$d;N;ba' -e '}'
}
section EXAMPLES | awk -v indent='           ' -v blocks="$work/block" '
  index($0, indent) == 1 {
    if (!on) { on = 1; file = sprintf("%s.%03d", blocks, ++n) }
    print substr($0, length(indent) + 1) > file
    next
  }
  $0 == "" { if (on) print "" > file; next }
  { on = 0 }'
replay_examples "$path" trim_rendering "EXAMPLES"
finish "$page: no groff warnings, $examples example(s) as shown"
