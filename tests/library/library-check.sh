#!/usr/bin/env bash
# Uses libvelmora as a program outside the tree would. Runs the example built in the tree,
# then installs the build into a scratch prefix and checks what is there: the header, the
# library with its soname exporting only the API, the example built once through pkg-config
# and once through find_package(Velmora), and the Python package imported from the prefix's
# Python path.
#   library-check.sh BUILD SOURCE EXAMPLE [PYTHON]
#   library-check.sh --example-only BUILD SOURCE EXAMPLE     (a sanitizer build: no install)
set -euo pipefail
example_only=false
[ "$1" = --example-only ] && { example_only=true; shift; }
build=$1 source=$2 example=$3 python=${4:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "library-check: $*" >&2; exit 1; }
png=$work/image.png
cp "$source/tests/data/pngsuite/ct1n0g04.png" "$png"
chmod u+w "$png"

# stamp FILE KEY=TEXT with one of the builds of the example: the file then holds the entry.
stamp() {
    local program=$1 key=${2%%=*} text=${2#*=}
    "$program" "$png" "$2" > "$work/out" || fail "$program failed"
    grep -qxF "$key	$text" "$work/out" || fail "$program did not stamp $2: $(cat "$work/out")"
    grep -q '^.*: 32x32 Greyscale, [0-9]* chunks (libvelmora ' "$work/out" || fail "no summary: $(head -1 "$work/out")"
}
stamp "$example" "Author=in the tree"
"$example" "$work/missing.png" 2> "$work/err" && fail "the example read a file that does not exist"
grep -qxF "velmora-stamp: $work/missing.png: the file does not exist" "$work/err" || fail "$(cat "$work/err")"
if $example_only; then
    echo "the example ran"
    exit 0
fi

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" > /dev/null
[ -f "$prefix/include/velmora/velmora.h" ] || fail "the header is not installed"
library=$(find "$prefix" -name libvelmora.so -print -quit)
[ -n "$library" ] || fail "libvelmora.so is not installed"
libdir=$(dirname "$library")
[ -L "$libdir/libvelmora.so" ] && [ -L "$libdir/libvelmora.so.0" ] && [ -f "$(readlink -f "$library")" ] \
    || fail "the library and its links are not as expected: $(ls -l "$libdir")"
soname=$(objdump -p "$library" | awk '$1 == "SONAME" { print $2 }')
[ "$soname" = libvelmora.so.0 ] || fail "soname $soname"
# Only the API is exported: no symbol of the core or of Qt defined in the library.
others=$(nm -D --defined-only "$library" | c++filt | awk '$2 != "A"' | grep -v 'velmora::' || true)
[ -z "$others" ] || fail "exports more than the API: $others"

export PKG_CONFIG_PATH=$libdir/pkgconfig
[ "$(pkg-config --variable=prefix velmora)" = "$prefix" ] || fail "velmora.pc names another prefix"
# shellcheck disable=SC2046
c++ -std=c++20 $(pkg-config --cflags velmora) "$source/examples/stamp.cpp" -o "$work/stamp-pkg-config" \
    $(pkg-config --libs velmora)
LD_LIBRARY_PATH=$libdir stamp "$work/stamp-pkg-config" "Title=through pkg-config"

cmake -S "$source/examples" -B "$work/examples" -DCMAKE_PREFIX_PATH="$prefix" > /dev/null
cmake --build "$work/examples" > /dev/null
stamp "$work/examples/velmora-stamp" "Title=through find_package"

if [ -n "$python" ]; then
    package=$(find "$prefix" -path '*/velmora/__init__.py' -print -quit)
    [ -n "$package" ] || fail "the Python package is not installed"
    PYTHONPATH=$(dirname "$(dirname "$package")") "$python" -c '
import sys, velmora
assert velmora.__file__.startswith(sys.argv[1]), velmora.__file__
assert ("Title", "through find_package") in velmora.read(sys.argv[2]), velmora.read(sys.argv[2])
' "$prefix" "$png" || fail "the Python package does not work from the prefix"
fi
echo "libvelmora installed and used from $prefix"
