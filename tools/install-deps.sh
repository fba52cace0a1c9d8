#!/usr/bin/env bash
# Installs the Debian packages that building, testing and every check of
# this project need, when some are missing. As root it installs them with
# apt-get (sudo is used when it needs no password); otherwise it names them
# and fails.
set -euo pipefail

packages=(
  build-essential cmake      # compilers, make, CMake
  libgtest-dev               # make test
  groff-base                 # the manual pages' test
  clang libclang-rt-dev      # make sanitize, make fuzz, make build-clang
  clang-format clang-tidy    # make format-check, make lint
  shellcheck                 # make lint
  gcovr                      # make coverage
  dpkg-dev lintian           # make package (dpkg-shlibdeps), make package-check
  time                       # make bench, make stress
  python3 python3-doc        # make bench: real text, Python's library and its documentation's sources
  g++-s390x-linux-gnu g++-i686-linux-gnu g++-aarch64-linux-gnu qemu-user  # make cross-check
)

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'ok installed'
}

if ! command -v dpkg-query >/dev/null; then
  echo "Not a Debian-like system: install the equivalents of ${packages[*]} yourself." >&2
  exit 1
fi

missing=()
for package in "${packages[@]}"; do
  installed "$package" || missing+=("$package")
done
((${#missing[@]} == 0)) && exit 0

echo "Installing the missing packages: ${missing[*]}"
if ((EUID == 0)); then
  sudo=()
elif command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
  sudo=(sudo)
else
  echo "Missing packages: ${missing[*]}" >&2
  echo "Install them with: sudo apt-get install ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
