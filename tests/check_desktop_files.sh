#!/usr/bin/env bash
# The files a Linux desktop reads, checked with Debian's own validators, then
# installed with `cmake --install` into a scratch folder and read back the
# way the desktop reads them: the type of a *.dnml file, the entry that
# opens it, the icon in every size.
# Usage: check_desktop_files.sh <source folder> <build folder>
set -euo pipefail
source_dir=$1
build_dir=$2
app_id=io.github.scrivlet.Scrivlet

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "desktop files: FAIL: $*" >&2; exit 1; }

desktop-file-validate "$source_dir/dist/$app_id.desktop" || fail "the desktop entry"
appstreamcli validate --no-net "$build_dir/dist/$app_id.metainfo.xml" || fail "the AppStream description"
xmllint --noout "$source_dir/dist/scrivlet.xml" "$build_dir/dist/$app_id.metainfo.xml" || fail "XML"

cmake --install "$build_dir" --prefix "$work/usr" >/dev/null
share=$work/usr/share
[ -x "$work/usr/bin/scrivlet" ] || fail "no program in bin"
[ -f "$share/applications/$app_id.desktop" ] || fail "no desktop entry installed"
[ -f "$share/metainfo/$app_id.metainfo.xml" ] || fail "no AppStream description installed"
[ -f "$share/doc/scrivlet/copyright" ] || fail "no copyright file"
for size in 16 22 24 32 48 64 128 256; do
  icon=$share/icons/hicolor/${size}x${size}/apps/scrivlet.png
  file "$icon" | grep -q "PNG image data, $size x $size," || fail "icon $size: $(file "$icon")"
done

# The type database and the entry as the desktop builds them.
update-mime-database "$share/mime"
grep -qx 'text/x-dnml text/plain' "$share/mime/subclasses" || fail "text/x-dnml is no kind of text/plain"
grep -q '^50:text/x-dnml:\*\.dnml$' "$share/mime/globs2" || fail "*.dnml is not text/x-dnml: $(cat "$share/mime/globs2")"
grep -q 'text/x-dnml' "$share/mime/text/x-dnml.xml" || fail "no entry for text/x-dnml"
grep -q 'xml:lang="ja"' "$share/mime/text/x-dnml.xml" || fail "no Japanese comment for text/x-dnml"
update-desktop-database "$share/applications"
grep -qx "text/x-dnml=$app_id.desktop;" "$share/applications/mimeinfo.cache" || fail "no entry opens text/x-dnml"

entry=$share/applications/$app_id.desktop
for key in 'Exec=scrivlet %f' 'MimeType=text/x-dnml;' 'Icon=scrivlet' 'Name=Scrivlet' 'Name\[ja\]=' 'Comment=' 'Comment\[ja\]='; do
  grep -q "^$key" "$entry" || fail "the desktop entry has no $key"
done
echo "desktop files: all checked"
