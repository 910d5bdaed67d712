#!/usr/bin/env bash
# End to end: the built program in a real X server with a window manager,
# driven by real keystrokes (access keys, Tab, typing, pasting what the
# keyboard cannot type), saving and opening through the real Qt file
# dialog; the files' bytes are compared with what the author should get.
# Usage: e2e.sh <scrivlet> <catalogue_row>
set -euo pipefail
scrivlet=$1
row=$2
source "$(dirname "$0")/e2e_lib.sh"
e2e_begin e2e

# pick_typed: in the open picker, the rows that the text just entered
# dropped down, the first of them chosen, then OK.
pick_typed() {
  popup_shown
  key Down Return
  popup_gone
  key Return
}
# back_to_main PICKER: the picker has closed and the script has the focus.
back_to_main() {
  gone "$1"
  focused "$main_title"
}

echo "e2e: 1. the starting document saves as 335 bytes"
start_app
key alt+f s
file_dialog "$work/start.dnml"
sjis "$start_doc$nl" >"$work/start.expected"
[ "$(stat -c %s "$work/start.expected")" = 335 ] || fail "expected file is not 335 bytes"
expect_file "$work/start.dnml" "$work/start.expected"

echo "e2e: 2. dialogue buttons, options, one picker of each family, a scaffold"
type_text "abc"
key Tab space                          # Command12
type_text "hi"
key ctrl+End Tab Tab Tab Tab Tab Tab space   # Command17
type_text "yo"
key End Return
key alt+i z                            # all-ages
key Tab Tab space                      # Command13: names off
key shift+Tab shift+Tab shift+Tab space   # Command10: 森本航
focused "森本航選択"
key Down Return
back_to_main "森本航選択"
key Tab Tab Tab space                  # Command14: music
focused "音楽選択"
type_text "Snow"
pick_typed
back_to_main "音楽選択"
key Tab Tab Tab Tab space              # Command15: places
focused "場所選択"
paste "背景無し"
pick_typed
back_to_main "場所選択"
key Return
key alt+e d                            # demo, system and date pictures
focused "デモCG他選択"
paste "１月７日"
pick_typed
back_to_main "デモCG他選択"
key alt+h x                            # foreword
key alt+f s
file_dialog "$work/work.dnml"

wataru_name=$("$row" 9 all-ages 0 name)
wataru_ref=$("$row" 9 all-ages 0 ref)
music=$("$row" 2 adult Snow name)
text="$start_doc"
text+="abc「<INDENT>hi」</INDENT><P>${nl}「yo」<P>${nl}"
text+="<!--- \" $wataru_name \" --->${nl}<ACT NAME=\"人\" SRC=\"$wataru_ref\" FOLDER=\"OrvenA\">${nl}"
text+="<BGM SRC=\"$music\">${nl}"
text+="<BACKGROUND COLOR=\"#000000\">${nl}"
text+="<!--- \" 日付１月７日 \" --->${nl}<BACKGROUND SRC=\"PDT\\BG107.PDT\" FOLDER=\"OrvenA\">${nl}"
text+="<!-- 前書き -->${nl}<BACKGROUND COLOR=\"#000000\">${nl}"
sjis "$text$nl" >"$work/work.expected"
expect_file "$work/work.dnml" "$work/work.expected"

echo "e2e: 3. a character Shift-JIS cannot hold is refused, nothing written"
paste "€"
key alt+f s
focused "保存"
key Return
gone "保存"
focused "$main_title"
still_false 1 "a file dialog opened for a text that cannot be saved" focus_is_not "$main_title"
key BackSpace

echo "e2e: 4. closing with unsaved edits: No, then a cancelled save keeps the window"
wmctrl -c "$main_title"
focused "終了確認"
key Tab Return                         # No: save first
focused "名前を付けて保存"
key Escape                             # the save is cancelled
gone "名前を付けて保存"
focused "$main_title"
kill -0 "$app" 2>/dev/null || fail "the window closed and lost the text"
wmctrl -c "$main_title"
focused "終了確認"
key Return                             # Yes
exited

echo "e2e: 5. opening asks before dropping edits; a lone CR and LFs come back as the rules say"
printf 'A\rB\nC\r\n' >"$work/lone.dnml"
start_app
type_text "z"
key alt+f o
focused "開く確認"
key Tab Return                         # No: nothing opens
gone "開く確認"
focused "$main_title"
still_false 1 "a dialog opened after No" focus_is_not "$main_title"
key alt+f o
focused "開く確認"
key Return                             # Yes
file_dialog "$work/lone.dnml"
focused "開く"                          # the lone CR is asked about
key Return                             # Yes: it ends its line
focused "$main_title"
key alt+f s
file_dialog "$work/lone-saved.dnml"
printf 'A\r\nB\nC\r\n' >"$work/lone.expected"
expect_file "$work/lone-saved.dnml" "$work/lone.expected"

echo "e2e: 6. an empty file opens empty; bytes that are not Shift-JIS are flagged and block saving"
: >"$work/empty.dnml"
focused "$main_title"
key alt+f o                                # saved just now: no question
file_dialog "$work/empty.dnml"
focused "$main_title"
key alt+f s
file_dialog "$work/empty-saved.dnml"
printf '\r\n' >"$work/empty.expected"
expect_file "$work/empty-saved.dnml" "$work/empty.expected"
printf 'ok\r\nbad \x80 byte\r\n' >"$work/bad.dnml"
focused "$main_title"
key alt+f o
file_dialog "$work/bad.dnml"
focused "開く"                             # names the line; the text is open
key Return
gone "開く"
focused "$main_title"
key alt+f s
focused "保存"                             # U+FFFD cannot be saved
key Return
gone "保存"
focused "$main_title"
still_false 1 "a save dialog opened" focus_is_not "$main_title"

echo "e2e: 7. exit with unsaved edits asks too"
type_text "q"
key alt+f x
focused "終了確認"
key Return
exited
echo "e2e: 8. a script with LF line ends from the command line is read as lines; Ctrl+S writes it in place with CR LF"
printf 'A\nB\n' >"$work/lf.dnml"
"$scrivlet" "$work/lf.dnml" >>"$work/scrivlet.log" 2>&1 &
app=$!
started $app
focused "開く"                             # the question about the line ends
key Return                                 # Yes, the default
gone "開く"
focused "$main_title"
key ctrl+s                                 # in place: no dialog
printf 'A\r\nB\r\n' >"$work/lf.expected"
expect_file "$work/lf.dnml" "$work/lf.expected"
still_false 1 "a dialog opened for Ctrl+S" focus_is_not "$main_title"
key alt+f x                                # saved: no question
exited
echo "e2e: 9. a file changed by another program since it was opened: Ctrl+S asks, Return cancels, 上書き writes"
printf 'mine\r\n' >"$work/shared.dnml"
start_app "$work/shared.dnml"
type_text "x"
printf 'theirs, longer\r\n' >"$work/shared.dnml"
cp "$work/shared.dnml" "$work/theirs.expected"
key ctrl+s
focused "保存"
key Return                                 # キャンセル, the default
gone "保存"
focused "$main_title"
expect_file "$work/shared.dnml" "$work/theirs.expected"
key ctrl+s
focused "保存"
key alt+o                                  # 上書き
gone "保存"
printf 'xmine\r\n' >"$work/mine.expected"
expect_file "$work/shared.dnml" "$work/mine.expected"
key alt+f x
exited
echo "e2e: all passed"
