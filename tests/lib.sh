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
