#!/usr/bin/env bash
# Checks that a SOURCE_DATE_EPOCH beyond what the tarball can record is
# refused. Then checks, in a clone of this tree, the time that
# packaging/source-date.sh finds in the other sources of the last commit: a tree that `git archive
# HEAD` made must give the clone's time, and a clone that git refuses to
# read, one that another user owns, must stop `make package` before it
# builds anything, with the two fixes. Both are made from the last commit,
# not from changes since. Outside a clone there is neither to make, which
# it says; the second needs root, to give the clone away.
# usage: packaging/check-source-date.sh
set -euo pipefail
cd "$(dirname "$0")/.."
# The last time that the tarball's ustar entries can record is taken, and
# a second later refused before any build.
SOURCE_DATE_EPOCH=8589934591 packaging/source-date.sh >/dev/null ||
  { echo "FAIL: SOURCE_DATE_EPOCH=8589934591, the last time that tar can record, is refused" >&2; exit 1; }
if SOURCE_DATE_EPOCH=8589934592 packaging/source-date.sh >/dev/null 2>&1; then
  echo "FAIL: SOURCE_DATE_EPOCH=8589934592, beyond what tar can record, is taken" >&2
  exit 1
fi
echo "SOURCE_DATE_EPOCH is taken up to the last time that tar can record, and refused beyond"
if [[ ! -e .git ]]; then
  echo "No .git here: the time of a git archive and the stop in a clone git cannot read are not checked"
  exit 0
fi
unset SOURCE_DATE_EPOCH
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

want=$(packaging/source-date.sh)
mkdir "$scratch/archive"
git archive HEAD | tar -C "$scratch/archive" -xf -
got=$("$scratch/archive/packaging/source-date.sh")
[[ $got == "$want" ]] ||
  { echo "FAIL: a tree made by git archive HEAD records the time $got, the clone $want" >&2; exit 1; }
echo "A tree made by git archive HEAD records the clone's time, $want"

if ((EUID != 0)); then
  echo "Not root: the stop in a clone that another user owns is not checked"
  exit 0
fi
clone=$scratch/clone
git clone --quiet --no-hardlinks . "$clone"
chown -R 65534:65534 "$clone"
# Read as this user, with no global or system git setting that trusts it.
export GIT_CONFIG_GLOBAL=/dev/null GIT_CONFIG_NOSYSTEM=1
if make -s -C "$clone" package >"$scratch/package.log" 2>&1; then
  echo "FAIL: make package went on in a clone that git refuses to read" >&2
  exit 1
fi
for fix in "git config --global --add safe.directory $(printf %q "$clone")" "set SOURCE_DATE_EPOCH"; do
  grep -qF "$fix" "$scratch/package.log" || {
    cat "$scratch/package.log" >&2
    echo "FAIL: make package in a clone that git refuses to read does not name the fix '$fix'" >&2
    exit 1
  }
done
[[ ! -e $clone/build ]] || { echo "FAIL: make package began to build in a clone it must refuse" >&2; exit 1; }
[[ $(SOURCE_DATE_EPOCH=$want "$clone/packaging/source-date.sh") == "$want" ]] ||
  { echo "FAIL: SOURCE_DATE_EPOCH does not give the time in a clone that git refuses to read" >&2; exit 1; }
echo "make package stops in a clone that git refuses to read, naming both fixes"
