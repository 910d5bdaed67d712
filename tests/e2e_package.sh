#!/usr/bin/env bash
# The Debian package as a user gets it: built by the README's package
# command, checked by lintian, unpacked into a scratch root. Its program is
# started with a file argument, and again the way a file manager opens a
# double-clicked *.dnml file (gio open, through the unpacked desktop entry
# and type); each time the script is saved and the bytes compared.
# Usage: e2e_package.sh <source folder> <build folder>
set -euo pipefail
source_dir=$1
build_dir=$2
source "$(dirname "$0")/e2e_lib.sh"
e2e_begin e2e_package

echo "e2e_package: 1. the package builds, and lintian finds no error"
deb=$(bash "$source_dir/scripts/package.sh" --built "$build_dir") || fail "the package did not build"
lintian --no-tag-display-limit "$deb" >"$work/lintian.log" 2>&1 || true
grep -q '^E: ' "$work/lintian.log" && { cat "$work/lintian.log" >&2; fail "lintian reports errors"; }
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || fail "the package does not depend on Qt Widgets"
root=$work/root
dpkg-deb -x "$deb" "$root"
scrivlet=$root/usr/bin/scrivlet
[ -x "$scrivlet" ] || fail "no program in the package"
[ "$("$scrivlet" --version)" = "scrivlet $(dpkg-deb -f "$deb" Version)" ] || fail "the program's version is not the package's"

# A script with Japanese, as an author has it on disk.
script="<BGM SRC=\"雨音\">${nl}「おはよう」${nl}"
sjis "$script" >"$work/script.dnml"
cp "$work/script.dnml" "$work/double-clicked.dnml"

echo "e2e_package: 2. the unpacked program opens its file argument, edits and saves it"
start_app "$work/script.dnml"
key ctrl+End
type_text "<P>"
key alt+f s
file_dialog "saved.dnml"                # a bare name: the dialog stands in the opened file's folder
sjis "${script%$nl}<P>$nl" >"$work/saved.expected"
expect_file "$work/saved.dnml" "$work/saved.expected"
key alt+f x
exited

echo "e2e_package: 3. a double-clicked script opens through the desktop entry, and saves back byte for byte"
export XDG_DATA_DIRS=$root/usr/share:/usr/share
update-mime-database "$root/usr/share/mime"
update-desktop-database "$root/usr/share/applications"
[ "$(gio info -a standard::content-type "$work/double-clicked.dnml" |
  sed -n 's/.*standard::content-type: //p')" = text/x-dnml ] || fail "a *.dnml file is not text/x-dnml to the desktop"
has_window "$main_title" && fail "a main window is still open before the double click"
PATH=$root/usr/bin:$PATH gio open "$work/double-clicked.dnml" \
  >>"$work/gio.log" 2>&1 || fail "gio open failed: $(cat "$work/gio.log")"
focused "$main_title"
app=$(xdotool getwindowpid "$(visible_window "$main_title")")
started "$app"
[ "$(readlink "/proc/$app/exe")" = "$scrivlet" ] || fail "the desktop started $(readlink "/proc/$app/exe"), not the unpacked program"
key alt+f s
file_dialog "$work/double-saved.dnml"
expect_file "$work/double-saved.dnml" "$work/double-clicked.dnml"
key alt+f x
exited
echo "e2e_package: passed"
