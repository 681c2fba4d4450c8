#!/usr/bin/env bash
# Measures the model with amihost and prints the tables of the kit's user
# guide (Markdown). amihost feeds the model a unit step (0 to 1 V) and reads
# its output:
#   steady   the output after many equal bits (the step's final value)
#   first    the output half a UI after the step crosses half its final value
#            (the first bit after a transition), from the de-emphasis figure
#   dB       20 log10(2 first / steady - 1), amihost's de-emphasis figure
#
# usage: scripts/measure-deemphasis.sh [BUILD_DIR] [BIT_TIME] [SAMPLES_PER_BIT]
#          the three figures for every de at one timing
#        scripts/measure-deemphasis.sh levels [BUILD_DIR] [DE...]
#          the steady level of the given settings (default 0 8 11 15) over
#          common data rates at 16, 32 and 64 samples per bit
set -euo pipefail

mode=table
if [ "${1:-}" = levels ]; then
  mode=levels
  shift
fi
build=${1:-build}
host=$build/tools/amihost/amihost
model=$build/ami/Halvex_tx_x64.so
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

# run DE BIT_TIME SAMPLES_PER_BIT: amihost's report; step.csv lands in
# $out/run. The step run covers the responses' whole 5 ns span and more.
run() {
  rm -rf "$out/run"
  local bits
  bits=$(awk -v t="$2" 'BEGIN {b = int(6e-9 / t) + 1; print b < 96 ? 96 : b}')
  "$host" run "$model" model/Halvex_tx.ami --bit-time "$2" --samples-per-bit "$3" --set "de=$1" \
    --bits 200 --response-bits "$bits" --out "$out/run"
}
steady() { awk -F, 'NR > 1 {v = $2} END {printf "%.4f", v}' "$out/run/step.csv"; }

if [ "$mode" = table ]; then
  bit_time=${2:-78.125e-12}
  spb=${3:-32}
  echo "| de | de-emphasis (dB) | first bit after a transition (V) | steady level (V) |"
  echo "|---:|---:|---:|---:|"
  for de in $(seq 0 15); do
    db=$(run "$de" "$bit_time" "$spb" | awk '/^de-emphasis/ {print $2}')
    level=$(steady)
    first=$(awk -v db="$db" -v s="$level" 'BEGIN {printf "%.4f", s * (10 ^ (db / 20) + 1) / 2}')
    echo "| $de | $db | $first | $level |"
  done
  exit 0
fi

shift || true
settings=${*:-0 8 11 15}
rates="5 10 12.8 16 20 25 28 32 40 50 56"
printf "| de | samples per bit |"; for r in $rates; do printf " %s Gb/s |" "$r"; done; echo
printf "|---:|---:|"; for r in $rates; do printf -- "---:|"; done; echo
for de in $settings; do
  for spb in 16 32 64; do
    printf "| %s | %s |" "$de" "$spb"
    for r in $rates; do
      run "$de" "$(awk -v r="$r" 'BEGIN {printf "%.10g", 1e-9 / r}')" "$spb" >/dev/null
      printf " %.2f |" "$(steady)"
    done
    echo
  done
done
