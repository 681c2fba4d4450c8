#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build for SECONDS each from its seed
# corpus, JOBS targets at a time (one core each), and fails when any target
# reports a finding.
#   scripts/run-fuzz.sh BUILD_DIR SECONDS JOBS
# Each target's output goes to BUILD_DIR/fuzz-NAME.log; its final statistics
# are printed when it ends, its whole log when it fails. The targets' own
# standard error (the model's expected diagnostics) is closed; libFuzzer's
# and the sanitizers' reports still show. Crashing inputs land in BUILD_DIR/.
set -euo pipefail
build=$1
seconds=$2
jobs=$3

run_one() {
    local build=$1 seconds=$2 target=$3
    local name work seeds log
    name=$(basename "$target")
    work=$build/corpus-$name
    seeds=fuzz/corpus/$name
    log=$build/fuzz-$name.log
    mkdir -p "$work"
    [ -d "$seeds" ] || seeds=
    if "$target" -max_total_time="$seconds" -print_final_stats=1 -close_fd_mask=2 \
        -artifact_prefix="$build/" "$work" $seeds > "$log" 2>&1; then
        echo "== $name for $seconds s: $(grep -m1 '^Done' "$log" || echo done)"
        grep '^stat::' "$log" || true
    else
        echo "== $name for $seconds s: FAILED"
        cat "$log"
        return 1
    fi
}
export -f run_one

targets=()
for f in "$build"/fuzz/*; do
    if [ -f "$f" ] && [ -x "$f" ]; then targets+=("$f"); fi
done
printf '%s\n' "${targets[@]}" | xargs -P "$jobs" -I{} bash -c 'run_one "$@"' _ "$build" "$seconds" {}
