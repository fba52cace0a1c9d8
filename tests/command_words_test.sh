#!/usr/bin/env bash
# Checks that every command word of each program, as PRINT_COMMAND_WORDS
# prints it from the program's own table, has what CONTRIBUTING's "Adding a
# command" asks of it outside the code: an entry under COMMANDS in the
# program's manual page (a tagged paragraph, .TP, whose tag starts with the
# word), a line of its own in the program's fuzz dictionary, and a row in
# the README's table of the program's commands. Each word left out is named
# with the step.
# usage: command_words_test.sh PRINT_COMMAND_WORDS SOURCE_DIR
set -u
print_words=$1 source_dir=$2
# shellcheck source=tests/lib.sh
source "$(dirname "$0")/lib.sh"

checked=0
for program in scrivet scrivet-prompt; do
  page=$program/$program.1.in dictionary=fuzz/$program.dict
  mapfile -t words < <("$print_words" "$program")
  ((${#words[@]} > 0)) || { fail "$print_words prints no command words for $program"; continue; }
  # The first word of each tag under COMMANDS, without quotes or \%.
  awk '/^\.SH / { on = $0 == ".SH COMMANDS"; tagged = 0; next }
    on && tagged && /^\.B/ { sub(/^\.B[IR]? +/, ""); gsub(/"|\\%/, ""); split($0, tag, /[ \\]/); print tag[1] }
    { tagged = on && /^\.TP/ }' "$source_dir/$page" >"$work/tags"
  # The rows of the tables under the README's heading that ends with `program`.
  awk -v heading="\`$program\`" '/^## / { on = substr($0, length($0) - length(heading) + 1) == heading }
    on && /^\| `/' "$source_dir/README.md" >"$work/rows"
  for word in "${words[@]}"; do
    bare=${word%"${word##*[! ]}"}
    grep -qxF -- "$bare" "$work/tags" ||
      fail "$page: COMMANDS has no entry (.TP) for '$bare' (Adding a command: the manual page)"
    grep -qxF "\"$word\"" "$source_dir/$dictionary" ||
      fail "$dictionary has no line \"$word\" (Adding a command: the fuzz dictionary)"
    grep -Eq "^\| \`${bare}[ \`\"]" "$work/rows" ||
      fail "README.md has no row for \`$bare\` in the table of $program's commands (Adding a command: the README)"
    checked=$((checked + 1))
  done
done
((checked > 0)) || fail "no command words were checked"
finish "$checked command words: each in its manual page, its fuzz dictionary and the README"
