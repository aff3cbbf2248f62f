#!/usr/bin/env bash
# How soon a document window shows its entries, how soon its picture follows, and the
# peak memory, for a 32×32, a 6000×4000 and a 20000×20000 photo-like PNG, each opened in a
# process of its own; then twenty windows of the 6000×4000 file at once.
#   bench/open-window.sh BUILD [CORPUS_DIR]
set -euo pipefail
build=${1:-build}
corpus=${2:-${TMPDIR:-/tmp}/velmora-open-corpus}
mkdir -p "$corpus"
for size in 32x32 6000x4000 20000x20000; do
    "$build/bench/make_corpus" --one "$corpus/$size.png" "${size%x*}" "${size#*x}"
done
export QT_QPA_PLATFORM=offscreen
for size in 32x32 6000x4000 20000x20000; do
    # The first run warms the file cache; the second is reported.
    "$build/bench/bench_open" "$corpus/$size.png" >/dev/null
    "$build/bench/bench_open" "$corpus/$size.png"
done
"$build/bench/bench_open" --many 20 "$corpus/6000x4000.png"
