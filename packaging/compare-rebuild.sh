#!/usr/bin/env bash
# Checks that the packages in DIR, made by `make package` in this tree, come
# out byte for byte the same from a second `make package` in a scratch copy
# of the tree (without build/ and .git) at another path, with every file's
# time changed and another umask, given the time that the first build
# recorded. That time, from packaging/source-date.sh, must be on every
# entry of the first build's packages.
# usage: compare-rebuild.sh DIR
set -euo pipefail
dir=$(cd "${1:?usage: compare-rebuild.sh DIR}" && pwd)
cd "$(dirname "$0")/.."
epoch=$(packaging/source-date.sh)
stamp=$(TZ=UTC date -d "@$epoch" '+%F %T')
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

times() { TZ=UTC tar -tv --full-time | awk '{ print $4, $5 }' | sort -u | paste -sd ',' -; }
for package in "$dir"/*.deb "$dir"/*.tar.gz; do
  case $package in
    *.deb) got=$(dpkg-deb --fsys-tarfile "$package" | times) ;;
    *) got=$(gzip -dc "$package" | times) ;;
  esac
  [[ $got == "$stamp" ]] || { echo "FAIL: $package records $got, not $stamp" >&2; exit 1; }
done

umask=077
[[ $(umask) == 0077 ]] && umask=022
(
  umask "$umask"
  mkdir "$scratch/tree"
  tar --exclude=./build --exclude=./.git -cf - . | tar -C "$scratch/tree" --no-same-permissions -xf -
  find "$scratch/tree" -exec touch -h -d '2001-02-03 04:05:06' {} +
  SOURCE_DATE_EPOCH=$epoch make -s -C "$scratch/tree" package
) >"$scratch/rebuild.log" 2>&1 || { cat "$scratch/rebuild.log" >&2; echo "FAIL: the second build failed" >&2; exit 1; }

for package in "$dir"/*.deb "$dir"/*.tar.gz; do
  cmp "$package" "$scratch/tree/build/release/packages/${package##*/}" ||
    { echo "FAIL: a second build in $scratch/tree, umask $umask, makes another ${package##*/}" >&2; exit 1; }
done
echo "The same bytes from a second build at another path, umask $umask, every file's time changed;" \
  "time recorded: $stamp UTC"
(cd "$dir" && sha256sum -- *.deb *.tar.gz)
