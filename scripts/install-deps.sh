#!/usr/bin/env bash
# Installs the Debian packages Velmora needs. Fast when everything is present: apt-get is
# only called for missing packages.
#
#   scripts/install-deps.sh            build, test, format, package (make, make test, make format,
#                                      make package)
#   scripts/install-deps.sh bench      also Google Benchmark, time, bc, exiv2 and Python's imaging
#                                      library (make bench)
#   scripts/install-deps.sh ci         also clang, its sanitizer and fuzzer runtimes and
#                                      clang-tidy (.ci/run: sanitizers, fuzzers, clang-tidy)
set -euo pipefail

packages=(
    cmake g++ make pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    # lupdate and lrelease with their CMake functions, and Qt's own translations.
    qt6-l10n-tools qt6-tools-dev qt6-translations-l10n
    libpng-dev zlib1g-dev libdeflate-dev libisal-dev
    clang-format
    # Peer tools the tests labelled "peer" run (ctest -LE peer runs without them).
    pngcheck libimage-exiftool-perl imagemagick
    xvfb xauth time
    desktop-file-utils appstream man-db
    # The Python package and its tests (pytest, and Dask for the distributed example).
    python3-dev pybind11-dev python3-pytest python3-dask python3-distributed
    # Debian packages (make package) and their checks.
    dpkg-dev lintian
)
for group in "$@"; do
    case "$group" in
    bench) packages+=(libbenchmark-dev time exiv2 bc python3-pil) ;;
    ci) packages+=(clang libclang-rt-dev clang-tidy) ;;
    *)
        echo "install-deps.sh: unknown group '$group' (bench, ci)" >&2
        exit 2
        ;;
    esac
done

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    SUDO="sudo"
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
