#!/usr/bin/env bash
# Opens the bundled sample PNG: in the desktop application when it was built and a display
# is available, otherwise shows it through velmora-cli.
set -euo pipefail
build=${1:-build}
sample=${2:-tests/data/sample.png}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Work on a copy so that the bundled sample stays as shipped.
cp "$sample" "$work/"
copy="$work/$(basename "$sample")"
app="$build/src/app/velmora"
if [ -x "$app" ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
    # Not exec: the shell stays to remove the copy when the window is closed.
    "$app" "$copy"
    exit
fi
cli="$build/src/cli/velmora-cli"
"$cli" info "$copy"
echo
"$cli" list "$copy"
