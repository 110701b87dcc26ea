#!/usr/bin/env bash
# Checks for the Debian packages that a task needs and installs the missing
# ones: with apt-get as root, through sudo where it needs no password, and
# otherwise prints the one command to run and exits with status 1. When
# everything is present it only probes files and commands (no apt call).
#
# usage: scripts/install-deps.sh [GROUP...]   (default: build)
#   build    the build and `make test`: cmake, make, g++, GoogleTest, htslib
#   windows  the Windows cross build (`make windows`): MinGW-w64
#   wine     the Windows end-to-end checks (`make windows-test`): Wine
#   bench    the scripts in bench/: python3, /usr/bin/time
#   checks   the tests that use real outside tools (CI): bedtools, chromium, python3
set -euo pipefail

# Whether any of the paths exists: libraries live under a multiarch folder
# (/usr/lib/x86_64-linux-gnu/...) on Debian, elsewhere on other systems.
have_file() {
  local candidate
  for candidate in "$@"; do [ -e "$candidate" ] && return 0; done
  return 1
}

# package: present when its probe succeeds. A probe tests what the build uses
# (a command, a header, a library), so a tool installed some other way counts.
probe() {
  case $1 in
    cmake | make | g++ | python3) command -v "$1" >/dev/null ;;
    time) [ -x /usr/bin/time ] ;;
    libgtest-dev)
      [ -f /usr/include/gtest/gtest.h ] &&
        have_file /usr/lib/*/libgtest.a /usr/lib/libgtest.a /usr/local/lib/libgtest.a ;;
    libhts-dev)
      [ -f /usr/include/htslib/kseq.h ] &&
        have_file /usr/lib/*/libhts.so /usr/lib/*/libhts.a /usr/lib/libhts.so /usr/local/lib/libhts.so ;;
    g++-mingw-w64-x86-64-posix) command -v x86_64-w64-mingw32-g++-posix >/dev/null ;;
    wine64) [ -x /usr/lib/wine/wine64 ] ;;
    bedtools | chromium) command -v "$1" >/dev/null ;;
    *) return 1 ;;
  esac
}

packages_of() {
  case $1 in
    build) echo cmake make g++ libgtest-dev libhts-dev ;;
    windows) echo cmake make g++-mingw-w64-x86-64-posix ;;
    wine) echo wine64 ;;
    bench) echo python3 time ;;
    checks) echo bedtools chromium python3 ;;
    *) echo "install-deps: unknown group $1 (build, windows, wine, bench, checks)" >&2; return 2 ;;
  esac
}

groups=("$@")
[ ${#groups[@]} -eq 0 ] && groups=(build)
missing=()
for group in "${groups[@]}"; do
  list=$(packages_of "$group") || exit 2
  for package in $list; do
    probe "$package" && continue
    [[ " ${missing[*]} " == *" $package "* ]] || missing+=("$package")
  done
done
[ ${#missing[@]} -eq 0 ] && exit 0

command_line="sudo apt-get update && sudo apt-get install -y ${missing[*]}"
if ! command -v apt-get >/dev/null; then
  echo "vantrels needs: ${missing[*]} (Debian package names); install them with your system's package manager." >&2
  exit 1
fi
if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
  as_root=(sudo -n)
else
  echo "vantrels needs the Debian packages ${missing[*]}. Install them with:" >&2
  echo "    $command_line" >&2
  exit 1
fi

echo "Installing ${missing[*]} ..." >&2
log=$(mktemp)
if ${as_root[@]+"${as_root[@]}"} env DEBIAN_FRONTEND=noninteractive sh -c "apt-get update -qq && apt-get install -y -qq ${missing[*]}" \
  >"$log" 2>&1; then
  rm -f "$log"
else
  tail -n 5 "$log" >&2
  rm -f "$log"
  echo "install-deps: apt-get could not install ${missing[*]}; try: $command_line" >&2
  exit 1
fi
for package in "${missing[@]}"; do
  probe "$package" || { echo "install-deps: $package is installed but still not found" >&2; exit 1; }
done
