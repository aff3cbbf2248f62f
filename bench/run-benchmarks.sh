#!/usr/bin/env bash
# Runs every benchmark of the build folder given as the first argument.
set -euo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")" && pwd)
echo "== Core read and save (bench_core)"
"$build/bench/bench_core" --benchmark_counters_tabular=true
if [ -x "$here/batch-vs-peers.sh" ] && [ -x "$build/src/cli/velmora-cli" ]; then
    echo
    echo "== Batch stamping against exiftool and exiv2"
    "$here/batch-vs-peers.sh" "$build/src/cli/velmora-cli"
fi
if [ -x "$build/bench/bench_open" ]; then
    echo
    echo "== Opening a document window (bench_open)"
    "$here/open-window.sh" "$build"
fi
