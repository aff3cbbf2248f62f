#!/usr/bin/env bash
# Stamps three entries into every file of a photo-like corpus with `velmora-cli batch`
# and with exiftool, on fresh copies of the same files, checks that every result carries
# the entries, and prints files/s, MB/s and the ratios. Median of RUNS runs (default 3);
# JOBS sets velmora-cli's -j (default: one job per core).
#   batch-vs-exiftool.sh path/to/velmora-cli [corpus-dir]
set -euo pipefail
cli=$1
build=$(cd "$(dirname "$cli")/../.." && pwd)
corpus=${2:-$build/bench-corpus}
runs=${RUNS:-3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$build/bench/make_corpus" "$corpus"

median() { sort -g | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }

# run_tool NAME SET -> prints "seconds maxrss_kb"
run_tool() {
    local name=$1 set=$2 dir="$work/$1-$2"
    rm -rf "$dir"
    cp -r "$corpus/$set" "$dir"
    case $name in
        velmora) cmd=("$cli" batch ${JOBS:+-j "$JOBS"} --set "Author=Bench Mark" --set "Title=%FILENAME%" --set "Copyright=(c) Bench" "$dir") ;;
        velmora-noverify) cmd=("$cli" batch ${JOBS:+-j "$JOBS"} --no-verify-image --set "Author=Bench Mark" --set "Title=%FILENAME%" --set "Copyright=(c) Bench" "$dir") ;;
        exiftool) cmd=(exiftool -q -overwrite_original "-PNG:Author=Bench Mark" "-PNG:Title=bench" "-PNG:Copyright=(c) Bench" "$dir") ;;
    esac
    sync
    /usr/bin/time -f "%e %M" -o "$work/time" "${cmd[@]}" > /dev/null
    # Every file must now carry the three entries.
    local missing
    missing=$("$cli" list --json "$dir"/*.png | grep -c '"keyword": "Copyright"' || true)
    local total
    total=$(ls "$dir"/*.png | wc -l)
    if [ "$missing" != "$total" ]; then
        echo "ERROR: $name left $((total - missing)) of $total files in $set without the entries" >&2
        exit 1
    fi
    cat "$work/time"
}

printf '%-7s %5s %8s | %-17s | %-17s %6s | %-17s %6s | %s\n' set files MB "exiftool" "velmora" ratio "velmora no-verify" ratio "max RSS velmora"
for set in small medium large; do
    files=$(ls "$corpus/$set"/*.png | wc -l)
    bytes=$(du -cb "$corpus/$set"/*.png | tail -1 | cut -f1)
    mb=$(echo "scale=2; $bytes / 1000000" | bc)
    declare -A secs rss
    for tool in exiftool velmora velmora-noverify; do
        times=()
        for ((i = 0; i < runs; i++)); do
            read -r s m < <(run_tool "$tool" "$set")
            times+=("$s")
            rss[$tool]=$m
        done
        secs[$tool]=$(printf '%s\n' "${times[@]}" | median)
    done
    rate() { echo "scale=1; $1 / ${secs[$2]}" | bc 2>/dev/null || echo inf; }
    fe=$(rate "$files" exiftool); me=$(rate "$mb" exiftool)
    fv=$(rate "$files" velmora); mv=$(rate "$mb" velmora)
    fn=$(rate "$files" velmora-noverify); mn=$(rate "$mb" velmora-noverify)
    r1=$(echo "scale=1; ${secs[exiftool]} / ${secs[velmora]}" | bc)
    r2=$(echo "scale=1; ${secs[exiftool]} / ${secs[velmora-noverify]}" | bc)
    printf '%-7s %5s %8s | %6s f/s %6s MB/s | %6s f/s %6s MB/s %5sx | %6s f/s %6s MB/s %5sx | %s KB\n' \
        "$set" "$files" "$mb" "$fe" "$me" "$fv" "$mv" "$r1" "$fn" "$mn" "$r2" "${rss[velmora]}"
done
