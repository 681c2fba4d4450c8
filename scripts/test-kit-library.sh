#!/usr/bin/env bash
# Checks the kit's Linux library, built for every distribution in use:
#   - it references no glibc symbol version newer than 2.17 and needs no
#     shared library but libc, libm, libpthread, libdl, librt and the loader;
#   - it exports exactly the three entry points;
#   - Init/GetWave/Close cycles give what the model promises, and the process
#     still ends cleanly after the library is unloaded;
#   - `amihost check` passes on it and gives the same output checksum as on
#     the main build's library, for every de setting and a few timings.
#
# usage: scripts/test-kit-library.sh KIT_LIBRARY MAIN_BUILD_DIR
set -euo pipefail

kit=$1
main=$2
so=$main/ami/Halvex_tx_x64.so
host=$main/tools/amihost/amihost
cycles=$main/tools/amicycles/amicycles
ami=model/Halvex_tx.ami
floor=2.17

fail() { echo "test-kit-library: FAIL: $*" >&2; exit 1; }

newest=$(objdump -T "$kit" | grep -o 'GLIBC_[0-9][0-9.]*' | sed 's/GLIBC_//' | sort -uV | tail -n 1)
[ -n "$newest" ] || fail "$kit references no glibc symbol version at all"
[ "$(printf '%s\n%s\n' "$newest" "$floor" | sort -V | tail -n 1)" = "$floor" ] ||
  fail "$kit needs GLIBC_$newest, newer than $floor"
echo "newest glibc symbol version: GLIBC_$newest (floor $floor)"

needed=$(objdump -p "$kit" | awk '/NEEDED/ {print $2}' | sort | tr '\n' ' ')
for name in $needed; do
  case "$name" in
    libc.so.6|libm.so.6|libpthread.so.0|libdl.so.2|librt.so.1|ld-linux-x86-64.so.2) ;;
    *) fail "$kit needs $name (needed: $needed)" ;;
  esac
done
echo "needed: $needed"

exports=$(nm -D --defined-only "$kit" | awk '{print $NF}' | sort | tr '\n' ' ')
[ "$exports" = "AMI_Close AMI_GetWave AMI_Init " ] || fail "$kit exports: $exports"
echo "exports: $exports"

# Its de out of range cycles make the multiplexer name the control value on
# standard error, as intended; those lines are left out.
"$cycles" "$kit" 20 2> >(grep -v "^Control input signal value" >&2) || fail "amicycles on $kit"

checks=0
while read -r args; do
  for de in $(seq 0 15); do
    # shellcheck disable=SC2086
    kit_out=$("$host" check "$kit" "$ami" $args --set de="$de") || fail "check $args de=$de on $kit: $kit_out"
    # shellcheck disable=SC2086
    main_out=$("$host" check "$so" "$ami" $args --set de="$de") || fail "check $args de=$de on $so"
    kit_sum=$(grep -o 'output checksum [0-9a-f]*' <<<"$kit_out")
    main_sum=$(grep -o 'output checksum [0-9a-f]*' <<<"$main_out")
    [ -n "$kit_sum" ] && [ "$kit_sum" = "$main_sum" ] ||
      fail "check $args de=$de: kit library $kit_sum, main build $main_sum"
    checks=$((checks + 1))
  done
done <<'ARGS'
--bit-time 78.125e-12
--bit-time 1e-10 --samples-per-bit 16 --bits 400
--bit-time 5e-11 --samples-per-bit 40 --block 333
ARGS
echo "amihost check: $checks settings pass with the main build's output checksums"
echo "test-kit-library: all passed"
