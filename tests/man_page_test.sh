#!/usr/bin/env bash
# Checks a generated manual page: groff renders it without a single warning,
# its footer carries the project version, every command word of the program
# has its own entry under COMMANDS, and every example session under EXAMPLES
# writes exactly what the page shows when run against the built programs
# (trailing blanks at line ends and empty lines at the very end aside, since
# the rendering drops them).
# usage: man_page_test.sh PAGE VERSION BIN_DIR... -- WORD...
set -u
page=$1 version=$2
shift 2
path=
while (($# > 0)) && [[ $1 != -- ]]; do
  path=$1:$path
  shift
done
shift
words=("$@")
failures=0

fail() {
  echo "FAIL: $page: $*"
  failures=$((failures + 1))
}

if ! command -v groff >/dev/null; then
  echo "FAIL: groff was not found: install it (Debian: sudo apt-get install groff-base)"
  exit 1
fi
((${#words[@]} > 0)) || { echo "FAIL: no command words given"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Any warning at all, or a failed run, fails the page.
groff -man -ww -z "$page" 2>"$work/warnings"
status=$?
((status == 0)) || fail "groff exited with status $status"
if [[ -s $work/warnings ]]; then
  fail "groff wrote to standard error:"
  cat "$work/warnings"
fi

# Plain text: no overstriking, and no hyphenation, so every word is whole.
render() {
  groff -man -Tascii -P-cbou -rHY=0 "$page" 2>/dev/null
}
render >"$work/page.txt"
# Text between a section heading and the next; headings start in column 1.
section() {
  awk -v name="$1" '/^[^ ]/ { on = ($0 == name); next } on' "$work/page.txt"
}

grep -q '@[A-Za-z_]*@' "$page" && fail "a @VARIABLE@ was left unsubstituted"
tail -n 1 "$work/page.txt" | grep -q "^Scrivet $version " ||
  fail "the footer does not name Scrivet $version: '$(tail -n 1 "$work/page.txt")'"

# Each command word opens an entry of its own: a tagged paragraph whose tag
# starts with the word, at the section's indent.
section COMMANDS >"$work/commands.txt"
for word in "${words[@]}"; do
  grep -Eq "^       $word( |\$)" "$work/commands.txt" ||
    fail "COMMANDS has no entry for '$word'"
done

# Example sessions: a line "$ COMMAND" (continued while it ends with a
# backslash), then what it writes, up to the next "$ " line or the end of
# the indented example.
section EXAMPLES >"$work/examples.txt"
examples=0
run_example() {
  ((examples += 1))
  sed -e 's/[[:blank:]]*$//' "$work/want" | sed -e ':a' -e '/^\n*$/{$d;N;ba' -e '}' >"$work/want.trim"
  PATH=$path$PATH bash -c "$command" 2>&1 | sed -e 's/[[:blank:]]*$//' |
    sed -e ':a' -e '/^\n*$/{$d;N;ba' -e '}' >"$work/got"
  if ! cmp -s "$work/want.trim" "$work/got"; then
    fail "example $examples does not write what the page shows:"
    diff "$work/want.trim" "$work/got"
  fi
}
indent='           '
command='' state=none
while IFS= read -r line; do
  if [[ $line == "$indent\$ "* ]]; then
    [[ $state != none ]] && run_example
    command=${line#"$indent\$ "}
    : >"$work/want"
    state='command'
    [[ $line == *\\ ]] || state=output
  elif [[ $state == command ]]; then
    command+=$'\n'$line
    [[ $line == *\\ ]] || state=output
  elif [[ $state == output ]]; then
    if [[ -n $line && $line != "$indent"* ]]; then
      run_example
      state=none
    else
      printf '%s\n' "${line#"$indent"}" >>"$work/want"
    fi
  fi
done <"$work/examples.txt"
[[ $state != none ]] && run_example
((examples > 0)) || fail "EXAMPLES shows no session"

if ((failures > 0)); then
  echo "$failures failure(s)"
  exit 1
fi
echo "$page: no groff warnings, ${#words[@]} command words, $examples example(s) as shown"
