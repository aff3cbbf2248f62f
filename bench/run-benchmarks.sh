#!/usr/bin/env bash
# Runs every benchmark of the build folder given as the first argument.
set -euo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")" && pwd)
echo "== Core read and save (bench_core)"
"$build/bench/bench_core" --benchmark_counters_tabular=true
if [ -x "$here/batch-vs-exiftool.sh" ] && [ -x "$build/src/cli/velmora-cli" ]; then
    echo
    echo "== Batch stamping against exiftool"
    "$here/batch-vs-exiftool.sh" "$build/src/cli/velmora-cli"
fi
