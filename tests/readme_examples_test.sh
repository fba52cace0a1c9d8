#!/usr/bin/env bash
# Replays the README's examples against the built programs: every ```console
# block holds sessions as tests/lib.sh's replay_examples reads them, a line
# "$ COMMAND" (continued by a backslash, or up to a here-document's end)
# followed by exactly what it writes. A typed terminal session cannot be
# replayed and goes in a ```text block instead. Fails when the README shows
# no example at all.
# usage: readme_examples_test.sh README BIN_DIR...
set -u
readme=$1
shift
path=
for dir; do
  path=$path$(cd "$dir" && pwd):
done
# shellcheck source=tests/lib.sh
source "$(dirname "$0")/lib.sh"

awk -v blocks="$work/block" '
  /^```/ {
    on = !on && $0 == "```console"
    if (on) { file = sprintf("%s.%03d", blocks, ++n); printf "" > file }
    next
  }
  on { print > file }' "$readme"
replay_examples "$path" cat "$readme, in its \`\`\`console blocks,"
finish "$readme: $examples example(s) as shown"
