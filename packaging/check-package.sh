#!/usr/bin/env bash
# Checks what `make package` built: one .deb and one .tar.gz in DIR, each
# holding both programs and both manual pages. The .deb must state a
# Depends field, a maintainer and a multi-line description, its programs
# must run, its compressed pages must render without a groff warning, its
# changelog must name its version, and lintian must report no error, no
# warning and no missing hardening; the .tar.gz must hold the licence.
# usage: check-package.sh DIR
set -u
dir=${1:?usage: check-package.sh DIR}
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

for tool in dpkg-deb tar gzip groff lintian; do
  if ! command -v "$tool" >/dev/null; then
    package=dpkg
    [[ $tool == groff ]] && package=groff-base
    [[ $tool == tar || $tool == gzip || $tool == lintian ]] && package=$tool
    echo "FAIL: $tool was not found: install it (Debian: sudo apt-get install $package)"
    exit 1
  fi
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

shopt -s nullglob
debs=("$dir"/*.deb)
tars=("$dir"/*.tar.gz)
((${#debs[@]} == 1)) || { echo "FAIL: expected one .deb in $dir, found ${#debs[@]}"; exit 1; }
((${#tars[@]} == 1)) || { echo "FAIL: expected one .tar.gz in $dir, found ${#tars[@]}"; exit 1; }
deb=${debs[0]} tgz=${tars[0]}

# The .deb: contents.
dpkg-deb -c "$deb" >"$work/deb.list" || fail "$deb: dpkg-deb -c failed"
for program in scrivet scrivet-prompt; do
  grep -Eq "^-rwxr-xr-x root/root .* \./usr/bin/$program\$" "$work/deb.list" ||
    fail "$deb: no executable ./usr/bin/$program owned by root"
  grep -Eq "^-rw-r--r-- root/root .* \./usr/share/man/man1/$program\.1\.gz\$" "$work/deb.list" ||
    fail "$deb: no ./usr/share/man/man1/$program.1.gz"
done

# The .deb: control fields.
field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Package) == scrivet ]] || fail "$deb: Package is '$(field Package)', not scrivet"
for name in Version Architecture Maintainer Section Depends; do
  [[ -n $(field "$name") ]] || fail "$deb: no $name field"
done
for library in libc6 libstdc++6; do
  field Depends | grep -Eq "(^|, )${library//+/\\+}( |,|\$)" ||
    fail "$deb: Depends '$(field Depends)' does not name $library"
done
description=$(field Description)
(($(printf '%s\n' "$description" | wc -l) >= 3)) ||
  fail "$deb: Description is not a synopsis with an extended description: '$description'"
synopsis=$(printf '%s\n' "$description" | sed -n 1p)
second=$(printf '%s\n' "$description" | sed -n '2s/^ *//p')
[[ ${second,,} != "${synopsis,,}" ]] ||
  fail "$deb: the extended description repeats the synopsis '$synopsis'"
printf '%s\n' "$description" | grep -q scrivet-prompt ||
  fail "$deb: Description does not mention scrivet-prompt"

# The .deb: the unpacked programs run, the pages are gzip files that render.
dpkg-deb -x "$deb" "$work/deb" || fail "$deb: dpkg-deb -x failed"
got=$(printf 'insertEnd "packaged"\nprint\n' | "$work/deb/usr/bin/scrivet" 2>&1)
[[ $got == "1 packaged" ]] || fail "$deb: usr/bin/scrivet wrote '$got'"
got=$(printf 'insertEnd x\nprint quit\n' | "$work/deb/usr/bin/scrivet-prompt" 2>&1 | head -n 4 | tail -n 1)
[[ $got == "1  x" ]] || fail "$deb: usr/bin/scrivet-prompt listed '$got'"
for program in scrivet scrivet-prompt; do
  page=$work/deb/usr/share/man/man1/$program.1.gz
  [[ -f $page ]] || continue
  gzip -t "$page" || fail "$page is not a sound gzip file"
  gzip -dc "$page" | groff -man -ww -z 2>"$work/warnings" || fail "$program.1.gz: groff failed"
  [[ -s $work/warnings ]] && fail "$program.1.gz: groff warned: $(cat "$work/warnings")"
done

changelog=$work/deb/usr/share/doc/scrivet/changelog.Debian.gz
if [[ -f $changelog ]]; then
  top=$(gzip -dc "$changelog" | sed -n 1p)
  [[ $top == "scrivet ($(field Version)) "* ]] ||
    fail "$deb: changelog.Debian.gz starts with '$top', not with version $(field Version)"
fi

# The .deb: lintian, the information tags shown too. Its errors and
# warnings fail the check, and so does a missing hardening flag, which it
# may report as information (hardening-no-bindnow). It warns that it runs
# as root, as it does in CI; that line is dropped.
lintian --display-info "$deb" >"$work/lintian" 2> >(grep -v '^running with root privileges' >&2)
status=$?
[[ -s $work/lintian ]] && sed 's/^/lintian: /' "$work/lintian"
if grep -Eq '^[EW]: |^I: [^ ]+ hardening-' "$work/lintian"; then
  fail "$deb: lintian reports the errors, warnings or missing hardening above"
elif ((status != 0)); then
  fail "$deb: lintian exited with status $status"
fi

# The .tar.gz: both programs, both uncompressed pages and the licence under
# one folder.
tar -tzf "$tgz" >"$work/tgz.list" || fail "$tgz: tar -tzf failed"
for entry in bin/scrivet bin/scrivet-prompt share/man/man1/scrivet.1 share/man/man1/scrivet-prompt.1 \
  share/doc/scrivet/LICENSE; do
  grep -Eq "^[^/]+/$entry\$" "$work/tgz.list" || fail "$tgz: no */$entry"
done

if ((failures > 0)); then
  echo "$failures failure(s)"
  exit 1
fi
echo "$(basename "$deb") and $(basename "$tgz"): both programs and both manual pages; Depends: $(field Depends)"
