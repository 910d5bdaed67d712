#!/usr/bin/env bash
# End to end: a script whose name is Shift-JIS bytes, handed over on the
# command line as a file manager does, opens and saves under its own name,
# and Alt+L types nothing while no notice offers a reload. Then the file
# becomes a folder behind the window's back: the reload the notice offers
# fails and says so, and closing still asks, the unsaved text being kept.
# Usage: e2e_session.sh <scrivlet>
set -euo pipefail
scrivlet=$1
source "$(dirname "$0")/e2e_lib.sh"
e2e_begin e2e_session

# answer TITLE KEYS…: waits for the question TITLE to have the focus,
# answers it with KEYS and waits for that window to go.
answer() {
  local title=$1
  shift
  focused "$title"
  local id
  id=$(xdotool getwindowfocus)
  key "$@"
  until_true "the window \"$title\" to close" unmapped "$id"
}

name="$work/$(sjis 台本).dnml"
printf '<P>\r\n' >"$name"

echo "e2e_session: 1. a Shift-JIS name from the command line opens and saves in place; Alt+L types nothing"
start_app "$name"
key ctrl+End
type_text "abc"
key alt+l
type_text "x"
key ctrl+s
printf '<P>abcx\r\n' >"$work/saved.expected"
expect_file "$name" "$work/saved.expected"

echo "e2e_session: 2. the file becomes a folder: the reload fails, and closing asks"
type_text "def"
rm "$name"
mkdir "$name"
key alt+f o
answer 開く確認 alt+n                # the window comes back to the front and sees the change
focused "$main_title"
key alt+l
answer 再読み込み Return             # Yes: the unsaved text may go
answer 再読み込み Return             # the reload failed: OK
focused "$main_title"
key alt+f x
answer 終了確認 Return
exited
echo "e2e_session: passed"
