#!/usr/bin/env bash
# Makes sure that what a make target needs is on this machine, deciding by
# what is actually there, not by one distribution's package database.
#
# usage: scripts/ensure-packages.sh NEED=PACKAGE...
#
# NEED is one of
#   a command name            found on PATH (cmake, clang++, wine, npm)
#   an absolute path          an executable file there (/usr/lib/wine/wine64), or
#                             a header or library there (/usr/x86_64-w64-mingw32/include/zlib.h)
#   a header path             found by the C++ compiler (gtest/gtest.h, CLI/CLI.hpp)
#   sanitizer:LIST            clang++ links a program with -fsanitize=LIST
#   optional:NEED             any of the above, wanted but not required (a test
#                             that skips without it: chromium for the report page)
# and PACKAGE is the Debian package that brings it. Nothing happens when every
# NEED is met. Otherwise the missing packages are installed with apt-get where
# there is one (apt-get update once, sudo when not root); elsewhere the script
# names each missing piece with its Debian package and stops with status 1.
# A missing optional NEED that cannot be installed is named and passed over.
set -euo pipefail

cxx=${CXX:-c++}
command -v "$cxx" >/dev/null 2>&1 || cxx=g++

has_header() {
  command -v "$cxx" >/dev/null 2>&1 &&
    printf '#include <%s>\n' "$1" | "$cxx" -std=c++17 -x c++ -E -o /dev/null - >/dev/null 2>&1
}

links_sanitized() {
  command -v clang++ >/dev/null 2>&1 || return 1
  local out
  out=$(mktemp)
  printf 'int main() { return 0; }\n' |
    clang++ -x c++ "-fsanitize=$1" -o "$out" - >/dev/null 2>&1 && "$out"
  local status=$?
  rm -f "$out"
  return $status
}

present() {
  case "$1" in
    sanitizer:*) links_sanitized "${1#sanitizer:}" ;;
    /*.h|/*.a) [ -f "$1" ] ;;
    /*) [ -x "$1" ] ;;
    */*|*.h|*.hpp) has_header "$1" ;;
    *) command -v "$1" >/dev/null 2>&1 ;;
  esac
}

missing=()
packages=()
wanted=()
for need in "$@"; do
  what=${need%%=*}
  package=${need#*=}
  if [ "${what#optional:}" != "$what" ]; then
    present "${what#optional:}" || wanted+=("$package")
  elif ! present "$what"; then
    missing+=("$what (Debian package $package)")
    packages+=("$package")
  fi
done
[ ${#packages[@]} -eq 0 ] && [ ${#wanted[@]} -eq 0 ] && exit 0

sudo=
if [ "$(id -u)" -ne 0 ]; then
  sudo=sudo
fi
export DEBIAN_FRONTEND=noninteractive

if ! command -v apt-get >/dev/null 2>&1; then
  [ ${#wanted[@]} -gt 0 ] && echo "ensure-packages: not installed, and wanted (the tests that need it skip): ${wanted[*]}" >&2
  [ ${#packages[@]} -eq 0 ] && exit 0
  echo "ensure-packages: missing, and no apt-get here to install them:" >&2
  printf '  %s\n' "${missing[@]}" >&2
  echo "ensure-packages: install them with this system's package manager (or put them on PATH) and run make again" >&2
  exit 1
fi

updated=
if [ ${#packages[@]} -gt 0 ]; then
  echo "installing: ${packages[*]}"
  $sudo apt-get update -qq
  updated=1
  $sudo apt-get install -y -qq --no-install-recommends "${packages[@]}"
fi
# A wanted package that this system cannot install (no such package, no
# rights) is named, and the target goes on without it.
if [ ${#wanted[@]} -gt 0 ]; then
  echo "installing (wanted): ${wanted[*]}"
  if ! { [ -n "$updated" ] || $sudo apt-get update -qq; } ||
     ! $sudo apt-get install -y -qq --no-install-recommends "${wanted[@]}"; then
    echo "ensure-packages: could not install ${wanted[*]}; the tests that need it skip" >&2
  fi
fi

# What apt-get brought must now answer, or the target would fail later with a
# less clear message.
for need in "$@"; do
  what=${need%%=*}
  [ "${what#optional:}" != "$what" ] && continue
  present "$what" || { echo "ensure-packages: $what still missing after installing ${need#*=}" >&2; exit 1; }
done
