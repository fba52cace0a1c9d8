# shellcheck shell=bash
# Shared by the test scripts: a scratch folder $work, removed on exit, and
# fail, which reports a failure and counts it in $failures.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
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
