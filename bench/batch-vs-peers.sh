#!/usr/bin/env bash
# Stamps three entries into every file of a photo-like corpus with `velmora-cli batch` (image
# data checked, the default, and with --no-verify-image), exiftool and exiv2, and removes each
# file's metadata with `velmora-cli strip`, each on fresh
# copies of the same files, beside two floors: a plain `cp -r` of the set and a plain read of
# its files (`cat`). Checks that every result carries the entries (stripped: none), then prints one table: for
# each set and run the files/s (small set) or MB/s, the median of RUNS runs (default 3) with
# the slowest and fastest, the share of the cp floor and of the plain read, the peak RSS, the
# ratios the targets name and whether each is met. The runs alternate, so that the load of a
# shared machine falls on all alike.
#   batch-vs-peers.sh path/to/velmora-cli [corpus-dir]
# BENCH_QUICK=1: one run of the small and medium sets, to try the script. BENCH_SETS picks
# sets ("small medium large"), RUNS the runs, JOBS velmora-cli's -j (default: one per core).
set -euo pipefail
cli=$1
build=$(cd "$(dirname "$cli")/../.." && pwd)
corpus=${2:-$build/bench-corpus}
if [ -n "${BENCH_QUICK:-}" ]; then
    runs=${RUNS:-1}
    sets=${BENCH_SETS:-small medium}
else
    runs=${RUNS:-3}
    sets=${BENCH_SETS:-small medium large}
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for tool in exiftool exiv2 bc /usr/bin/time; do
    command -v "$tool" > /dev/null || { echo "ERROR: $tool is missing (scripts/install-deps.sh bench)" >&2; exit 1; }
done
"$build/bench/make_corpus" "$corpus" > /dev/null

tools=(cp read exiftool exiv2 velmora velmora-noverify velmora-strip)
median() { sort -g | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }

# run_tool NAME SET -> prints "seconds maxrss_kb"
run_tool() {
    local name=$1 set=$2 dir="$work/$1-$2"
    rm -rf "$dir"
    case $name in cp | read) ;; *) cp -r "$corpus/$set" "$dir" ;; esac
    local cmd
    case $name in
    cp) cmd=(cp -r "$corpus/$set" "$dir") ;;
    read) cmd=(sh -c 'cat "$@" > /dev/null' cat "$corpus/$set"/*.png) ;;
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
    case $name in
    cp | read) ;;
    velmora-strip)
        # Every file must now carry no entry at all.
        local left
        left=$("$cli" list "$dir"/*.png | grep -vc "^==> " || true)
        if [ "$left" != 0 ]; then
            echo "ERROR: $name left $left entries in $set" >&2
            exit 1
        fi
        ;;
    *)
        # Every file must now carry the entries.
        local stamped total
        stamped=$("$cli" list "$dir"/*.png | grep -c "Bench Mark" || true)
        total=$(ls "$dir"/*.png | wc -l)
        if [ "$stamped" != "$total" ]; then
            echo "ERROR: $name left $((total - stamped)) of $total files in $set without the entries" >&2
            exit 1
        fi
        ;;
    esac
    rm -rf "$dir"
    echo "$(echo "$end - $start" | bc) $(cat "$work/rss")"
}

div() { echo "scale=${3:-1}; $1 / $2" | bc; }
# meets VALUE TARGET -> "met" or "NOT met"
meets() { if [ "$(echo "$1 >= $2" | bc)" = 1 ]; then echo "met"; else echo "NOT met"; fi; }

echo "Median of $runs run(s) with the slowest and fastest in brackets; each set's rate in files/s (small) or MB/s;"
echo "share: the run's time over the cp -r floor's and over a plain read's; RSS: peak resident memory."
printf '%-7s %-17s %24s %8s %8s %9s\n' set run "rate [slowest – fastest]" "÷cp" "÷read" "peak RSS"
summary=()
for set in $sets; do
    files=$(ls "$corpus/$set"/*.png | wc -l)
    bytes=$(du -cb "$corpus/$set"/*.png | tail -1 | cut -f1)
    mb=$(echo "scale=2; $bytes / 1000000" | bc)
    if [ "$set" = small ]; then amount=$files unit=files/s; else amount=$mb unit=MB/s; fi
    declare -A times=() secs=() rss=()
    for ((i = 0; i < runs; i++)); do
        for tool in "${tools[@]}"; do
            read -r s m < <(run_tool "$tool" "$set")
            times[$tool]="${times[$tool]:-} $s"
            rss[$tool]=$m
        done
    done
    echo "$set: $files files, $mb MB ($unit)"
    for tool in "${tools[@]}"; do
        secs[$tool]=$(printf '%s\n' ${times[$tool]} | median)
    done
    for tool in "${tools[@]}"; do
        slow=$(printf '%s\n' ${times[$tool]} | sort -g | tail -1)
        fast=$(printf '%s\n' ${times[$tool]} | sort -g | head -1)
        printf '%-7s %-17s %8s [%6s – %6s] %7sx %7sx %6s MB\n' "$set" "$tool" \
            "$(div "$amount" "${secs[$tool]}")" "$(div "$amount" "$slow")" "$(div "$amount" "$fast")" \
            "$(div "${secs[$tool]}" "${secs[cp]}")" "$(div "${secs[$tool]}" "${secs[read]}")" "$((rss[$tool] / 1024))"
    done
    checked=$(div "${secs[exiftool]}" "${secs[velmora]}")
    unchecked=$(div "${secs[exiv2]}" "${secs[velmora-noverify]}" 2)
    if [ "$set" = small ]; then want_checked=10; want_unchecked=1; else want_checked=40; want_unchecked=2; fi
    peak=$((rss[velmora] / 1024))
    memory=""
    if [ "$set" = large ]; then memory=$(printf ' | peak RSS %s MB (target <= 64: %s)' "$peak" "$(meets 64 "$peak")"); fi
    stripped=$(div "${secs[velmora-noverify]}" "${secs[velmora-strip]}" 2)
    summary+=("$(printf '%-7s checked %6sx exiftool (target %sx: %s) | --no-verify-image %5sx exiv2 (target %sx: %s) | strip %5sx --no-verify-image (target 1x: %s)%s' \
        "$set" "$checked" "$want_checked" "$(meets "$checked" "$want_checked")" \
        "$unchecked" "$want_unchecked" "$(meets "$unchecked" "$want_unchecked")" \
        "$stripped" "$(meets "$stripped" 1)" "$memory")")
done
echo
echo "Targets (velmora flushes every file to the disk before it replaces the original; exiv2 flushes nothing):"
printf '%s\n' "${summary[@]}"
