#!/usr/bin/env bash
# Prints the time that the packages record, in seconds since 1970-01-01 UTC,
# the first of:
# - SOURCE_DATE_EPOCH when it is set, as Debian's tools take it;
# - in a clone of this tree (a .git at its top), the last commit's time;
#   a clone that git cannot read stops it with git's reason and the fix,
#   since any other time would make other bytes;
# - in a tree that `git archive` made, the commit's time that it wrote into
#   packaging/commit-time, which in a clone holds git's placeholder;
# - the date of the newest entry of packaging/changelog.Debian.
# usage: packaging/source-date.sh
set -euo pipefail
shopt -s extglob
cd "$(dirname "$0")/.."
top=$(pwd -P)

# clone_time: prints the last commit's time, or says why git cannot read it.
clone_time() {
  command -v git >/dev/null || {
    echo "$top is a clone, but git was not found to read its last commit's time:" \
      "install it (Debian: sudo apt-get install git), or set SOURCE_DATE_EPOCH" >&2
    return 1
  }
  local found path
  if found=$(git rev-parse --show-toplevel 2>&1) && [[ $found == "$top" ]]; then
    git log -1 --format=%ct
    return
  fi
  path=$(sed -n "s/.*detected dubious ownership in repository at '\(.*\)'\$/\1/p" <<<"$found")
  if [[ -n $path ]]; then
    echo "git refuses to read the clone at $path, which another user owns," \
      "so the packages cannot record its last commit's time. Either trust it:" >&2
    printf '  git config --global --add safe.directory %q\n' "$path" >&2
    echo "or set SOURCE_DATE_EPOCH to that time (git log -1 --format=%ct, run by the clone's owner)." >&2
  else
    printf '%s\n' "$found" >&2
    echo "git cannot read the clone at $top, so the packages cannot record its last commit's" \
      "time. Let git read it, or set SOURCE_DATE_EPOCH to that time (git log -1 --format=%ct)." >&2
  fi
  return 1
}

if [[ -n ${SOURCE_DATE_EPOCH:-} ]]; then
  [[ $SOURCE_DATE_EPOCH =~ ^[0-9]+$ ]] ||
    { echo "SOURCE_DATE_EPOCH is '$SOURCE_DATE_EPOCH', not a number of seconds" >&2; exit 1; }
  # The tarball's entries are ustar, whose times are 11 octal digits.
  digits=${SOURCE_DATE_EPOCH##+(0)}
  if ((${#digits} > 10 || 10#0$digits > 8589934591)); then
    echo "SOURCE_DATE_EPOCH is $SOURCE_DATE_EPOCH, later than 8589934591 (in the year 2242)," \
      "the last time that the tarball can record" >&2
    exit 1
  fi
  echo "$SOURCE_DATE_EPOCH"
  exit 0
elif [[ -e .git ]]; then
  clone_time
  exit 0
fi
stamp=$(cat packaging/commit-time)
if [[ $stamp =~ ^[0-9]+$ ]]; then
  echo "$stamp"
elif [[ $stamp == "\$Format:%ct\$" ]]; then
  trailer=$(sed -n 's/^ -- .*>  //p' packaging/changelog.Debian | head -n 1)
  date -u -d "$trailer" +%s
else
  echo "packaging/commit-time holds '$stamp', neither a time nor the placeholder that git archive fills in" >&2
  exit 1
fi
