#!/usr/bin/env bash
# Checks the Windows build of the model: the DLL exports exactly the three
# entry points, imports only Windows' own DLLs (nothing of MinGW beside it)
# and moves AVX registers only unaligned, and amihost.exe, cross-built from the same sources, passes every check
# of `amihost check` on it under Wine with the same output checksum as the
# Linux build on Linux.
#
# usage: scripts/test-windows.sh WINDOWS_BUILD_DIR LINUX_BUILD_DIR
set -euo pipefail

win=$1
linux=$2
dll=$win/ami/Halvex_tx_x64.dll
host=$win/tools/amihost/amihost.exe
so=$linux/ami/Halvex_tx_x64.so
linux_host=$linux/tools/amihost/amihost
ami=model/Halvex_tx.ami
objdump=x86_64-w64-mingw32-objdump

fail() { echo "test-windows: FAIL: $*" >&2; exit 1; }

# Exports: the names of the DLL's export table, sorted.
exports=$($objdump -p "$dll" | awk '/\[Ordinal\/Name Pointer\] Table/ {on = 1; next}
  on && /^\t\[/ {print $NF; next} on {on = 0}' | sort | tr '\n' ' ')
[ "$exports" = "AMI_Close AMI_GetWave AMI_Init " ] || fail "$dll exports: $exports"
echo "exports: $exports"

# Imports: only DLLs that every Windows has.
imports=$($objdump -p "$dll" | awk '/DLL Name:/ {print $3}' | sort -u | tr '\n' ' ')
for name in $imports; do
  case "${name,,}" in
    kernel32.dll|msvcrt.dll|user32.dll|advapi32.dll|ucrtbase.dll|api-ms-win-*) ;;
    *) fail "$dll needs $name beside it (imports: $imports)" ;;
  esac
done
echo "imports: $imports"

# No aligned 256- or 512-bit move anywhere: the stack is only 16-byte
# aligned on Windows, so a spilled AVX register must be moved unaligned.
aligned=$($objdump -d "$dll" | grep -cE 'vmov(apd|aps|dqa|dqa32|dqa64)[[:space:]].*%[yz]mm' || true)
[ "$aligned" -eq 0 ] || fail "$dll has $aligned aligned AVX moves"
echo "aligned AVX moves: none"

# Wine: headless, in a prefix of its own under the build folder.
wine=$(command -v wine || true)
[ -n "$wine" ] || wine=/usr/lib/wine/wine64
export WINEPREFIX=$PWD/$win/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
mkdir -p "$WINEPREFIX"

# The same checks with the same settings on both systems; the checksums of
# the one-call output must agree.
while read -r args; do
  # shellcheck disable=SC2086
  linux_out=$("$linux_host" check "$so" "$ami" $args) || fail "Linux check $args: $linux_out"
  # shellcheck disable=SC2086
  win_out=$("$wine" "$host" check "$dll" "$ami" $args 2>&1 | tr -d '\r') ||
    fail "Wine check $args: $win_out"
  echo "$win_out"
  grep -q '^Passed$' <<<"$win_out" || fail "Wine check $args did not pass"
  linux_sum=$(grep -o 'output checksum [0-9a-f]*' <<<"$linux_out")
  win_sum=$(grep -o 'output checksum [0-9a-f]*' <<<"$win_out")
  [ -n "$linux_sum" ] && [ "$linux_sum" = "$win_sum" ] ||
    fail "check $args: Windows $win_sum, Linux $linux_sum"
  echo "same $win_sum as the Linux build"
done <<'ARGS'
--bit-time 78.125e-12
--bit-time 1e-10 --samples-per-bit 16 --set de=0 --bits 400
--bit-time 5e-11 --samples-per-bit 40 --set de=7 --block 333
ARGS
echo "test-windows: all passed"
