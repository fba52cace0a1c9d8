#!/usr/bin/env bash
# Prints the time that the packages record, in seconds since 1970-01-01 UTC:
# SOURCE_DATE_EPOCH when it is set, as Debian's tools take it; else, in a
# git checkout of this tree, the last commit's date; else the date of the
# newest entry of packaging/changelog.Debian.
# usage: packaging/source-date.sh
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ -n ${SOURCE_DATE_EPOCH:-} ]]; then
  [[ $SOURCE_DATE_EPOCH =~ ^[0-9]+$ ]] ||
    { echo "SOURCE_DATE_EPOCH is '$SOURCE_DATE_EPOCH', not a number of seconds" >&2; exit 1; }
  echo "$SOURCE_DATE_EPOCH"
elif [[ $(git rev-parse --show-toplevel 2>/dev/null) == "$(pwd -P)" ]]; then
  git log -1 --format=%ct
else
  trailer=$(sed -n 's/^ -- .*>  //p' packaging/changelog.Debian | head -n 1)
  date -u -d "$trailer" +%s
fi
