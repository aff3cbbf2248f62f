#!/usr/bin/env bash
# Builds the Debian packages (as make package does, into a scratch folder), unpacks them into
# a scratch root with dpkg -x and checks what each holds and depends on, runs the programs and
# the Python package from there, and has lintian check them: any error fails, warnings are
# printed.
#   package-check.sh BUILD [PYTHON]
set -euo pipefail
build=$1 python=${2:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "package-check: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$work/packages" > "$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack failed"; }
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")-1
arch=$(dpkg --print-architecture)
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
packages=(velmora libvelmora0 libvelmora-dev)
[ -n "$python" ] && packages+=(python3-velmora)
root=$work/root
for p in "${packages[@]}"; do
    deb=$work/packages/${p}_${version}_${arch}.deb
    [ -f "$deb" ] || fail "no package $p: $(ls "$work/packages")"
    dpkg -x "$deb" "$root"
    dpkg-deb -f "$deb" Depends > "$work/$p.depends"
    dpkg-deb -c "$deb" | awk '{ print $6 }' > "$work/$p.files"
    [ -f "$root/usr/share/doc/$p/copyright" ] || fail "$p has no copyright file"
done

# What each package must hold (one path a line: package path).
while read -r p path; do
    [ -n "$p" ] || continue
    [ -e "$root/$path" ] || fail "$p lacks $path"
    grep -qxF "./$path" "$work/$p.files" || fail "$path is not in $p"
done <<LIST
velmora usr/bin/velmora
velmora usr/bin/velmora-cli
velmora usr/share/applications/org.velmora.Velmora.desktop
velmora usr/share/metainfo/org.velmora.Velmora.metainfo.xml
velmora usr/share/icons/hicolor/scalable/apps/org.velmora.Velmora.svg
velmora usr/share/icons/hicolor/256x256/apps/org.velmora.Velmora.png
velmora usr/share/man/man1/velmora.1.gz
velmora usr/share/man/man1/velmora-cli.1.gz
libvelmora0 usr/lib/$multiarch/libvelmora.so.0
libvelmora-dev usr/lib/$multiarch/libvelmora.so
libvelmora-dev usr/include/velmora/velmora.h
libvelmora-dev usr/lib/$multiarch/pkgconfig/velmora.pc
libvelmora-dev usr/lib/$multiarch/cmake/Velmora/VelmoraConfig.cmake
$([ -n "$python" ] && echo "python3-velmora usr/lib/python3/dist-packages/velmora/__init__.py")
LIST

# Dependencies: the libraries the programs link (found by dpkg-shlibdeps), and this very
# version of the library for the packages built on it.
grep -q 'libqt6widgets6' "$work/velmora.depends" || fail "velmora depends on: $(cat "$work/velmora.depends")"
grep -q 'libqt6core6' "$work/libvelmora0.depends" || fail "libvelmora0 depends on: $(cat "$work/libvelmora0.depends")"
grep -qF "libvelmora0 (= $version)" "$work/libvelmora-dev.depends" || fail "libvelmora-dev: $(cat "$work/libvelmora-dev.depends")"
[ -z "$python" ] || grep -qF "libvelmora0 (= $version)" "$work/python3-velmora.depends" \
    || fail "python3-velmora: $(cat "$work/python3-velmora.depends")"
dpkg-deb -I "$work/packages/libvelmora0_${version}_${arch}.deb" shlibs > "$work/shlibs"
grep -qxF "libvelmora 0 libvelmora0 (= $version)" "$work/shlibs" || fail "libvelmora0's shlibs: $(cat "$work/shlibs")"
[ "$(grep -c '^Name=' "$root/usr/share/applications/org.velmora.Velmora.desktop")" -ge 1 ] || fail "empty desktop entry"

# The programs and the module run from the unpacked root (the library from its folder there:
# nothing in /usr may carry an RPATH).
"$root/usr/bin/velmora-cli" --help > /dev/null
if [ -n "$python" ]; then
    objdump -p "$root"/usr/lib/python3/dist-packages/velmora/_velmora*.so > "$work/module"
    ! grep -q 'R.*PATH' "$work/module" || fail "the module has an RPATH"
    LD_LIBRARY_PATH=$root/usr/lib/$multiarch PYTHONPATH=$root/usr/lib/python3/dist-packages "$python" -c '
import sys, velmora
assert velmora.__file__.startswith(sys.argv[1]), velmora.__file__
assert velmora.__version__ + "-1" == sys.argv[2], velmora.__version__
' "$root" "$version" || fail "the Python package does not work from the package"
fi

lintian --tag-display-limit 0 --fail-on error "$work"/packages/*.deb > "$work/lintian" 2>&1 \
    || { cat "$work/lintian"; fail "lintian found errors"; }
grep -v 'root privileges' "$work/lintian" || true
echo "${#packages[@]} packages built and checked"
