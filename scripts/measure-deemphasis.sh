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
#        scripts/measure-deemphasis.sh rates [BUILD_DIR]
#          steady level and de-emphasis of every de at 8 to 32 Gb/s, each at
#          16, 32 and 64 samples per bit; a setting whose steady level departs
#          from the median of the 16 at that timing by more than a factor of 2,
#          or has the other sign, is marked in bold
set -euo pipefail

mode=table
if [ "${1:-}" = rates ]; then
  mode=rates
  shift
fi
build=${1:-build}
host=$build/tools/amihost/amihost
model=$build/ami/Halvex_tx_x64.so
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

# measure DE BIT_TIME SAMPLES_PER_BIT: prints "dB steady". The step run
# covers the responses' whole 5 ns span and more.
measure() {
  rm -rf "$out/run"
  local bits db
  bits=$(awk -v t="$2" 'BEGIN {b = int(6e-9 / t) + 1; print b < 96 ? 96 : b}')
  db=$("$host" run "$model" model/Halvex_tx.ami --bit-time "$2" --samples-per-bit "$3" --set "de=$1" \
    --bits 200 --response-bits "$bits" --out "$out/run" | awk '/^de-emphasis/ {print $2}')
  printf '%s %s\n' "$db" "$(awk -F, 'NR > 1 {v = $2} END {printf "%.4f", v}' "$out/run/step.csv")"
}

if [ "$mode" = table ]; then
  bit_time=${2:-78.125e-12}
  spb=${3:-32}
  echo "| de | de-emphasis (dB) | first bit after a transition (V) | steady level (V) |"
  echo "|---:|---:|---:|---:|"
  for de in $(seq 0 15); do
    read -r db level < <(measure "$de" "$bit_time" "$spb")
    first=$(awk -v db="$db" -v s="$level" 'BEGIN {printf "%.4f", s * (10 ^ (db / 20) + 1) / 2}')
    echo "| $de | $db | $first | $level |"
  done
  exit 0
fi

# rates: one line "RATE SPB DE DB STEADY" per run, then both tables from them.
rates="8 10 12.8 16 20 25 28 32"
for rate in $rates; do
  bit_time=$(awk -v r="$rate" 'BEGIN {printf "%.10g", 1e-9 / r}')
  for spb in 16 32 64; do
    for de in $(seq 0 15); do
      echo "$rate $spb $de $(measure "$de" "$bit_time" "$spb")"
    done
  done
done >"$out/runs"

awk '
function median(a, n,    i, j, t, b) {
  for (i = 1; i <= n; ++i) b[i] = a[i]
  for (i = 2; i <= n; ++i) for (j = i; j > 1 && b[j - 1] > b[j]; --j) { t = b[j]; b[j] = b[j - 1]; b[j - 1] = t }
  return n % 2 ? b[(n + 1) / 2] : (b[n / 2] + b[n / 2 + 1]) / 2
}
function odd(v, m) { return v * m <= 0 || v / m > 2 || v / m < 0.5 }
function cell(text, marked) { return marked ? "**" text "**" : text }
{
  key = $1 " " $2
  if (!(key in seen)) { seen[key] = 1; order[++keys] = key }
  db[key, $3] = $4; steady[key, $3] = $5
}
END {
  header = "| Gb/s | samples per bit |"; rule = "|---:|---:|"
  for (de = 0; de < 16; ++de) { header = header " " de " |"; rule = rule "---:|" }
  for (table = 0; table < 2; ++table) {
    print (table == 0 ? "Steady level (V) for a 1 V step, by setting:" : "De-emphasis (dB), by setting:")
    print ""; print header; print rule
    for (k = 1; k <= keys; ++k) {
      key = order[k]; split(key, f, " ")
      for (de = 0; de < 16; ++de) level[de + 1] = steady[key, de]
      m = median(level, 16)
      line = "| " f[1] " | " f[2] " |"
      for (de = 0; de < 16; ++de) {
        value = table == 0 ? sprintf("%.2f", steady[key, de]) : db[key, de]
        line = line " " cell(value, odd(steady[key, de], m)) " |"
      }
      print line
    }
    print ""
  }
}' "$out/runs"
