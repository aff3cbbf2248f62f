#!/usr/bin/env bash
# Stamps three entries into every file of a photo-like corpus with `velmora-cli batch` (image
# data checked, the default, and with --no-verify-image), exiftool and exiv2, and removes each
# file's metadata with `velmora-cli strip`, each on fresh copies of the same files, in one
# run. Checks that every result carries the entries (or, stripped, none), then
# prints for each set and tool the files/s and MB/s (median of RUNS runs, default 5, with
# the slowest and fastest run), the peak RSS, the ratios and whether the targets are met.
# The runs of the tools alternate, so that the load of a shared machine falls on all alike.
# JOBS sets velmora-cli's -j (default: one job per core).
#   batch-vs-peers.sh path/to/velmora-cli [corpus-dir]
set -euo pipefail
cli=$1
build=$(cd "$(dirname "$cli")/../.." && pwd)
corpus=${2:-$build/bench-corpus}
runs=${RUNS:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for tool in exiftool exiv2; do
    command -v "$tool" > /dev/null || { echo "ERROR: $tool is missing (scripts/install-deps.sh bench)" >&2; exit 1; }
done
"$build/bench/make_corpus" "$corpus"

tools=(velmora velmora-noverify velmora-strip exiftool exiv2)
median() { sort -g | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }

# run_tool NAME SET -> prints "seconds maxrss_kb"
run_tool() {
    local name=$1 set=$2 dir="$work/$1-$2"
    rm -rf "$dir"
    cp -r "$corpus/$set" "$dir"
    local cmd
    case $name in
    velmora) cmd=("$cli" batch ${JOBS:+-j "$JOBS"} --set "Author=Bench Mark" --set "Title=%FILENAME%" --set "Copyright=(c) Bench" "$dir") ;;
    velmora-noverify) cmd=("$cli" batch ${JOBS:+-j "$JOBS"} --no-verify-image --set "Author=Bench Mark" --set "Title=%FILENAME%" --set "Copyright=(c) Bench" "$dir") ;;
    # Every corpus file holds an entry, so each is rewritten.
    velmora-strip) cmd=("$cli" strip ${JOBS:+-j "$JOBS"} "$dir") ;;
    exiftool) cmd=(exiftool -q -overwrite_original "-PNG:Author=Bench Mark" "-PNG:Title=bench" "-PNG:Copyright=(c) Bench" "$dir") ;;
    # exiv2 writes PNG text only as XMP (one iTXt chunk) or a Description comment.
    exiv2) cmd=(exiv2 -M"set Xmp.dc.creator Bench Mark" -M"set Xmp.dc.title bench" -M"set Xmp.dc.rights (c) Bench" "$dir"/*.png) ;;
    esac
    # The copy's dirty pages go to the disk now, not in a tool's flush.
    sync
    local start end
    start=$EPOCHREALTIME
    /usr/bin/time -f "%M" -o "$work/rss" "${cmd[@]}" > /dev/null
    end=$EPOCHREALTIME
    # Every file must now carry the entries (stripped: none at all).
    local stamped total
    total=$(ls "$dir"/*.png | wc -l)
    if [ "$name" = velmora-strip ]; then
        stamped=$("$cli" list "$dir"/*.png | grep -vc "^==> " || true)
        if [ "$stamped" != 0 ]; then
            echo "ERROR: $name left $stamped entries in $set" >&2
            exit 1
        fi
    else
        stamped=$("$cli" list "$dir"/*.png | grep -c "Bench Mark" || true)
        if [ "$stamped" != "$total" ]; then
            echo "ERROR: $name left $((total - stamped)) of $total files in $set without the entries" >&2
            exit 1
        fi
    fi
    echo "$(echo "$end - $start" | bc) $(cat "$work/rss")"
}

rate() { echo "scale=1; $1 / $2" | bc; }
ratio() { echo "scale=1; $1 / $2" | bc; }
# meets VALUE TARGET -> "met" or "NOT met"
meets() { if [ "$(echo "$1 >= $2" | bc)" = 1 ]; then echo "met"; else echo "NOT met"; fi; }

echo "Median of $runs runs; in brackets the slowest and the fastest run. RSS: peak resident memory."
printf '%-7s %5s %7s | %-10s %-30s %-9s %s\n' set files MB tool "files/s [range]" MB/s "peak RSS"
declare -A secs slow fast rss
summary=()
for set in small medium large; do
    files=$(ls "$corpus/$set"/*.png | wc -l)
    bytes=$(du -cb "$corpus/$set"/*.png | tail -1 | cut -f1)
    mb=$(echo "scale=2; $bytes / 1000000" | bc)
    declare -A times=()
    for ((i = 0; i < runs; i++)); do
        for tool in "${tools[@]}"; do
            read -r s m < <(run_tool "$tool" "$set")
            times[$tool]="${times[$tool]:-} $s"
            rss[$tool]=$m
        done
    done
    for tool in "${tools[@]}"; do
        secs[$tool]=$(printf '%s\n' ${times[$tool]} | median)
        slow[$tool]=$(printf '%s\n' ${times[$tool]} | sort -g | tail -1)
        fast[$tool]=$(printf '%s\n' ${times[$tool]} | sort -g | head -1)
        printf '%-7s %5s %7s | %-10s %8s [%8s – %8s] %9s %6s MB\n' "$set" "$files" "$mb" "$tool" \
            "$(rate "$files" "${secs[$tool]}")" "$(rate "$files" "${slow[$tool]}")" "$(rate "$files" "${fast[$tool]}")" \
            "$(rate "$mb" "${secs[$tool]}")" "$((rss[$tool] / 1024))"
    done
    checked=$(ratio "${secs[exiftool]}" "${secs[velmora]}")
    unchecked=$(ratio "${secs[exiv2]}" "${secs[velmora-noverify]}")
    stripped=$(ratio "${secs[velmora-noverify]}" "${secs[velmora-strip]}")
    if [ "$set" = small ]; then want_checked=10; want_unchecked=1; else want_checked=40; want_unchecked=2; fi
    summary+=("$(printf '%-7s checked: %6sx exiftool (target %sx: %s) | --no-verify-image: %5sx exiv2 (target %sx: %s) | strip: %4sx --no-verify-image (target 1x: %s)' \
        "$set" "$checked" "$want_checked" "$(meets "$checked" "$want_checked")" \
        "$unchecked" "$want_unchecked" "$(meets "$unchecked" "$want_unchecked")" \
        "$stripped" "$(meets "$stripped" 1)")")
done
echo
printf '%s\n' "${summary[@]}"
