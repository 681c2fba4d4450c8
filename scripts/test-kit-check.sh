#!/usr/bin/env bash
# Checks the model kit as users get it: `amihost check` passes on its .ibs
# file, and fails, naming the file, on a copy of the kit that lacks one of
# its libraries.
#
# usage: scripts/test-kit-check.sh KIT_DIR AMIHOST
set -euo pipefail

kit=$1
host=$2
ibs=Halvex_tx.ibs

fail() { echo "test-kit-check: FAIL: $*" >&2; exit 1; }

"$host" check "$kit/$ibs" || fail "amihost check $kit/$ibs"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for library in Halvex_tx_x64.so Halvex_tx_x64.dll; do
  rm -rf "$scratch/kit"
  cp -R "$kit" "$scratch/kit"
  rm "$scratch/kit/$library"
  status=0
  out=$("$host" check "$scratch/kit/$ibs") || status=$?
  [ "$status" -eq 1 ] || fail "check of the kit without $library exits with $status: $out"
  grep -q "library $library is missing" <<<"$out" || fail "check of the kit without $library does not name it: $out"
  [ "$(tail -n 1 <<<"$out")" = Failed ] || fail "check of the kit without $library does not end with Failed: $out"
  echo "without $library: amihost check fails and names it"
done
echo "test-kit-check: all passed"
