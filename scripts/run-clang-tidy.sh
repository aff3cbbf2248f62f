#!/usr/bin/env bash
# Runs clang-tidy (the checks of .clang-tidy) over the project's own sources in src/, in
# parallel, with the compile commands of a configured build folder. Fails on any finding,
# except those listed in scripts/clang-tidy-pending.txt (findings in code being changed on
# another branch, to be fixed when it is merged); a listed finding that no longer occurs
# fails too, so the list only ever shrinks.
#
#   scripts/run-clang-tidy.sh [BUILD_DIR] [JOBS]
#   TIDY_FILES='src/cli/.*' scripts/run-clang-tidy.sh    only those files (a regex)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
jobs=${2:-$(nproc 2>/dev/null || echo 2)}
if [ ! -f "$build/compile_commands.json" ]; then
    echo "no $build/compile_commands.json: configure first (make configure)" >&2
    exit 2
fi
root=$(pwd)
pending=scripts/clang-tidy-pending.txt
log=$(mktemp)
trap 'rm -f "$log"' EXIT
run-clang-tidy -p "$build" -j "$jobs" -quiet "^$root/${TIDY_FILES:-src/.*\.cpp}\$" > "$log" 2>&1 || true

# One "file check" line per finding, file relative to the root.
findings=$(sed 's/\x1b\[[0-9;]*m//g' "$log" |
    sed -nE "s#^$root/([^:]+):([0-9]+):[0-9]+: (warning|error): .*\[([a-z0-9.-]+)(,[^]]*)?\]\$#\1:\2 \4#p" | sort -u)
status=0
while read -r where check; do
    [ -n "$where" ] || continue
    file=${where%%:*}
    if grep -qxF "$file $check" <(grep -vE '^(#|$)' "$pending" 2>/dev/null); then
        echo "pending: $where $check"
    else
        echo "finding: $where $check"
        status=1
    fi
done <<< "$findings"
while read -r file check; do
    [ -n "$file" ] && [ -z "${TIDY_FILES:-}" ] || continue
    if ! grep -qE "^$file:[0-9]+ $check\$" <<< "$findings"; then
        echo "stale: '$file $check' no longer occurs: remove it from $pending"
        status=1
    fi
done < <(grep -vE '^(#|$)' "$pending" 2>/dev/null || true)
if grep -qE "error: .*(file not found|unknown argument)|Error while processing" "$log"; then
    grep -E "error: .*(file not found|unknown argument)|Error while processing" "$log" | head -20
    status=1
fi
if [ $status -ne 0 ]; then
    echo "clang-tidy: the findings above must be fixed (see .clang-tidy); the full output:" >&2
    sed 's/\x1b\[[0-9;]*m//g' "$log" | grep -vE '^(clang-tidy-[0-9]+ |[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$|Suppressed [0-9]+ warnings|Use -header-filter)' >&2
    exit 1
fi
echo "clang-tidy: $(grep -c '^clang-tidy' "$log") files, no new findings"
