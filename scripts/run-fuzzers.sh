#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build for SECONDS each, starting from its seed
# corpus in fuzz/corpus/<target>/ (read only: what the fuzzer finds goes to a scratch
# folder). Stops at the first crash and says where the input that caused it is: turn it
# into a fixture in tests/data named after what it broke, with a test in the ordinary suite.
#
#   scripts/run-fuzzers.sh [BUILD_DIR] [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-fuzz}
seconds=${2:-30}
shift $(( $# > 2 ? 2 : $# ))
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=(chunks png_reader velmx delimited_text presets templates metadata)
fi
work=${FUZZ_WORK:-$(mktemp -d /tmp/velmora-fuzz.XXXXXX)}
mkdir -p "$work"
for t in "${targets[@]}"; do
    exe="$build/fuzz/fuzz_$t"
    if [ ! -x "$exe" ]; then
        echo "missing $exe: build the fuzz preset first (make fuzz does)" >&2
        exit 2
    fi
    mkdir -p "$work/$t"
    printf '== fuzz_%s, %s s: ' "$t" "$seconds"
    if ! "$exe" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -print_final_stats=1 \
        -artifact_prefix="$work/$t-" "$work/$t" "fuzz/corpus/$t" > "$work/$t.log" 2>&1; then
        echo "FAILED"
        tail -n 40 "$work/$t.log"
        echo "The input is in $work (the $t-crash-*, $t-leak-*, $t-timeout-* or $t-oom-* file)." >&2
        exit 1
    fi
    grep -E '^stat::number_of_executed_units' "$work/$t.log" | awk '{printf "%s runs, ", $2}'
    grep -E 'DONE' "$work/$t.log" | sed -E 's/.*cov: ([0-9]+).*corp: ([0-9]+).*/coverage \1, corpus \2/'
done
