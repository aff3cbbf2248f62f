#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks what a desktop finds there: both
# programs, a launcher entry and an AppStream description that validate (in German too), the
# icon, the manual pages and the translations.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null
id=org.velmora.Velmora
for f in bin/velmora bin/velmora-cli \
         share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
         share/icons/hicolor/scalable/apps/$id.svg share/icons/hicolor/256x256/apps/$id.png \
         share/man/man1/velmora.1 share/man/man1/velmora-cli.1 \
         share/velmora/translations/velmora_de.qm share/velmora/translations/velmora_en.qm; do
    [ -e "$prefix/$f" ] || { echo "not installed: $f"; exit 1; }
done

# Validators print hints without failing; a clean entry prints nothing.
out=$(desktop-file-validate "$prefix/share/applications/$id.desktop" 2>&1) || { echo "$out"; exit 1; }
[ -z "$out" ] || { echo "desktop-file-validate: $out"; exit 1; }
appstreamcli validate --no-net --explain "$prefix/share/metainfo/$id.metainfo.xml"

# The entry starts a program that was installed, and opens PNG files.
exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$prefix/share/applications/$id.desktop")
[ -x "$prefix/bin/$exec_name" ] || { echo "Exec names $exec_name, which is not installed"; exit 1; }
grep -q '^MimeType=.*image/png;' "$prefix/share/applications/$id.desktop" || { echo "no image/png"; exit 1; }
grep -q '^Comment\[de\]=' "$prefix/share/applications/$id.desktop" || { echo "no German comment"; exit 1; }
grep -q '<summary xml:lang="de">' "$prefix/share/metainfo/$id.metainfo.xml" || { echo "no German summary"; exit 1; }
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$prefix/share/metainfo/$id.metainfo.xml" \
    || { echo "the metainfo does not launch $id.desktop"; exit 1; }

# The manual pages format without warnings, and the programs run from the prefix.
if command -v man >/dev/null; then
    for page in velmora velmora-cli; do
        warnings=$(man --warnings -l "$prefix/share/man/man1/$page.1" 2>&1 >/dev/null)
        [ -z "$warnings" ] || { echo "$page.1: $warnings"; exit 1; }
    done
fi
"$prefix/bin/velmora-cli" --help >/dev/null
QT_QPA_PLATFORM=offscreen "$prefix/bin/velmora" --version >/dev/null
echo "installed and validated in $prefix"
