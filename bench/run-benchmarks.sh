#!/usr/bin/env bash
# Runs every benchmark of the build folder given as the first argument. BENCH_QUICK=1 runs
# each briefly (one run, the smaller sets and files), to try the scripts.
set -euo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")" && pwd)
echo "== Core read and save (bench_core)"
if [ -n "${BENCH_QUICK:-}" ]; then
    "$build/bench/bench_core" --benchmark_counters_tabular=true --benchmark_min_time=0.01
else
    "$build/bench/bench_core" --benchmark_counters_tabular=true
fi
if [ -x "$here/batch-vs-peers.sh" ] && [ -x "$build/src/cli/velmora-cli" ]; then
    echo
    echo "== Batch stamping against exiftool and exiv2, with the cp -r and plain read floors"
    "$here/batch-vs-peers.sh" "$build/src/cli/velmora-cli"
fi
if [ -x "$build/bench/bench_open" ]; then
    echo
    echo "== Opening a document window (bench_open)"
    "$here/open-window.sh" "$build"
fi
if [ -d "$build/python/velmora" ] && python3 -c 'import PIL' 2> /dev/null; then
    echo
    echo "== Adding text entries from Python: the velmora package against Python's imaging library"
    if [ -n "${BENCH_QUICK:-}" ]; then
        RUNS=${RUNS:-1} SETS=${SETS:-small medium} python3 "$here/python-vs-pil.py" "$build"
    else
        python3 "$here/python-vs-pil.py" "$build"
    fi
fi
