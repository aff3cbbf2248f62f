#!/usr/bin/env bash
# How soon a document window shows its entries, how soon its picture follows, and the
# peak memory, for a 32×32, a 6000×4000 and a 20000×20000 photo-like PNG, each opened in a
# process of its own; then twenty windows of the 6000×4000 file at once.
#   bench/open-window.sh BUILD [CORPUS_DIR]
# BENCH_QUICK=1 leaves out the 20000×20000 file and the twenty windows.
set -euo pipefail
build=${1:-build}
corpus=${2:-${TMPDIR:-/tmp}/velmora-open-corpus}
sizes=(32x32 6000x4000)
[ -n "${BENCH_QUICK:-}" ] || sizes+=(20000x20000)
mkdir -p "$corpus"
for size in "${sizes[@]}"; do
    "$build/bench/make_corpus" --one "$corpus/$size.png" "${size%x*}" "${size#*x}"
done
export QT_QPA_PLATFORM=offscreen
for size in "${sizes[@]}"; do
    # The first run warms the file cache; the second is reported.
    "$build/bench/bench_open" "$corpus/$size.png" >/dev/null
    "$build/bench/bench_open" "$corpus/$size.png"
done
[ -n "${BENCH_QUICK:-}" ] || "$build/bench/bench_open" --many 20 "$corpus/6000x4000.png"
