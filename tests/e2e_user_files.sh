#!/usr/bin/env bash
# End to end: what the author keeps beside the program, when it is no file
# to read, and a versions list with a long reason in it, in the real
# program on a 1280-pixel screen. A settings file that is a named pipe: the
# window shows, 折り返し is switched and the program ends, and the pipe is
# still a pipe. The writer's spelling list as a named pipe, then as a link
# to a device of endless zeros: F7 checks, the program lives and answers
# keys (typed and saved, byte for byte). A version whose text was cut
# short: its comparison fails with the text's long path, and 以前の版 stays
# within the screen.
# Usage: e2e_user_files.sh <scrivlet>
set -euo pipefail
scrivlet=$1
source "$(dirname "$0")/e2e_lib.sh"
e2e_begin e2e_user_files

conf=$XDG_CONFIG_HOME/scrivlet
mkdir -p "$conf"

echo "e2e_user_files: 1. a settings file that is a named pipe: the window shows, and the pipe stays"
mkfifo "$conf/scrivlet.conf"
start_app
key alt+v w
key alt+f x
exited
[ -p "$conf/scrivlet.conf" ] || fail "the settings file, a named pipe, was written over"
rm "$conf/scrivlet.conf"

echo "e2e_user_files: 2. the spelling list a named pipe, then a link to a zero device: F7 and the window answers"
script="ゆら 「出来た」<P>"
# The program's own device: a program writing through the link must never
# reach the system's /dev/zero.
mknod "$work/zero" c 1 5 || fail "no device of zeros could be made (the tests run as root)"
for list in pipe zero; do
  rm -f "$conf/spellings.txt"
  if [ $list = pipe ]; then mkfifo "$conf/spellings.txt"; else ln -s "$work/zero" "$conf/spellings.txt"; fi
  sjis "${script}${nl}" >"$work/list.dnml"
  start_app "$work/list.dnml"
  key F7
  still_false 3 "the program ended after F7 with the list a $list" program_ended
  key ctrl+End
  type_text "X"
  key ctrl+s
  sjis "${script}X${nl}" >"$work/list.expected"
  expect_file "$work/list.dnml" "$work/list.expected"
  key alt+f x
  exited
done
rm -f "$conf/spellings.txt"

echo "e2e_user_files: 3. a comparison that fails with a long path: 以前の版 stays on the screen"
versions=$XDG_DATA_HOME/scrivlet/versions
records_are() { [ "$(find "$versions" -name '*.version' 2>/dev/null | wc -l)" -eq "$1" ]; }
rm -rf "$versions"  # the list's saves above kept theirs
sjis "雪が降っていた。${nl}" >"$work/story.dnml"
start_app "$work/story.dnml"
key ctrl+End
type_text "X"
key ctrl+s
until_true "the file before the save and the save" records_are 2
# The newest version's text, cut short.
newest=$(find "$versions" -name '*.text' -printf '%T@ %p\n' | sort -n | tail -n 1 | cut -d' ' -f2)
[ ${#newest} -gt 120 ] || fail "the text's path is only ${#newest} characters"
truncate -s 20 "$newest"
key alt+f h
focused "以前の版 - story.dnml"
screen_width=$(xdpyinfo | awk '/dimensions:/ {split($2, d, "x"); print d[1]}')
beyond_screen() {
  local geometry x width
  geometry=$(xwininfo -id "$(visible_window "以前の版 - story.dnml")")
  x=$(awk '/Absolute upper-left X/ {print $4}' <<<"$geometry")
  width=$(awk '/Width:/ {print $2}' <<<"$geometry")
  [ "$x" -lt 0 ] || [ $((x + width)) -gt "$screen_width" ]
}
still_false 3 "以前の版 reaches past the ${screen_width}-pixel screen" beyond_screen
key Escape
focused "$main_title"

echo "e2e_user_files: passed"
