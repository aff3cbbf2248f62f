#!/usr/bin/env bash
# Pictures of Velmora's windows for the README and the AppStream description: builds
# velmora-screenshots and runs it under Xvfb on the bundled sample, writing
# docs/screenshots/*.png. SCALE=2 gives the 200 % pictures, DARK=1 a dark colour scheme
# (the Fusion style with a dark palette), ALL=1 also the start window and the dialogs;
# those go to another folder, to be looked at. VELMORA_SHOTS_LANG=de shows the windows in
# that language (`make screenshots LANG=de`).
set -euo pipefail
build=${1:-build}
out=${2:-docs/screenshots}
cmake --build "$build" --target velmora-screenshots >/dev/null
args=()
if [ "${DARK:-0}" = 1 ]; then
    args+=(-style Fusion)
    export VELMORA_DARK_PALETTE=1
fi
export VELMORA_SHOTS_ALL=${ALL:-0}
export QT_SCALE_FACTOR=${SCALE:-1}
mkdir -p "$out"
xvfb-run -a -s "-screen 0 1920x1200x24" \
    "$build/tools/screenshots/velmora-screenshots" tests/data/sample.png "$out" "${args[@]}"
