#!/usr/bin/env bash
# End to end: the built program in a real X server with a window manager,
# driven by real keystrokes (access keys, Tab, typing), saving and opening
# through the real Qt file dialog; the files' bytes are compared with what
# the author should get.
# Usage: e2e.sh <scrivlet> <catalogue_row>
set -euo pipefail
scrivlet=$1
row=$2

work=$(mktemp -d)
artifacts=${E2E_ARTIFACTS:-$work/artifacts}
mkdir -p "$artifacts"
export HOME=$work/home XDG_RUNTIME_DIR=$work/run
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY

pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "e2e: FAIL: $*" >&2
  [ -f "$work/scrivlet.log" ] && sed 's/^/  scrivlet: /' "$work/scrivlet.log" >&2
  xwininfo -root -tree 2>&1 | grep -E '^ +0x' | sed 's/^ */  window: /' >&2 || true
  import -window root "$artifacts/failure.png" 2>/dev/null || true
  exit 1
}

# A display of our own: Xvfb picks a free number and writes it to fd 3.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=:$(head -n 1 "$work/display")
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
# A window mapped while the window manager is still starting may never be
# managed: wait until it has announced itself.
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done
xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' || fail "openbox did not start"

exact() { printf '^%s$' "$(printf '%s' "$1" | sed 's/[][\.*^$()+?{}|]/\\&/g')"; }
# Waits for a top-level window whose title is exactly $1; prints its id.
window() {
  local id
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "$(exact "$1")" 2>/dev/null | head -n 1) || true
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    sleep 0.1
  done
  fail "no window \"$1\""
}
gone() {
  for _ in $(seq 50); do
    xdotool search --onlyvisible --name "$(exact "$1")" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  fail "window \"$1\" is still there"
}
focused() { # waits until the window titled $1 has the keyboard focus
  local id
  id=$(window "$1")
  for _ in $(seq 50); do
    [ "$(xdotool getwindowfocus 2>/dev/null)" = "$id" ] && { sleep 0.2; return 0; }
    xdotool windowactivate "$id" 2>/dev/null || true
    sleep 0.1
  done
  fail "window \"$1\" never got the focus"
}
key() { xdotool key --clearmodifiers --delay 60 "$@"; sleep 0.15; }
type_text() { xdotool type --delay 40 -- "$1"; sleep 0.15; }
main_title='Scrivlet(ORVEN)'

start() {
  "$scrivlet" >"$work/scrivlet.log" 2>&1 &
  app=$!
  pids+=($app)
  focused "$main_title"
}
# The file dialog: the typed path replaces the proposed name.
file_dialog() {
  local id
  for _ in $(seq 100); do
    id=$(xdotool getwindowfocus 2>/dev/null)
    name=$(xdotool getwindowname "$id" 2>/dev/null || true)
    if [ -n "$name" ] && [ "$name" != "$main_title" ]; then break; fi
    sleep 0.1
  done
  sleep 0.4
  key ctrl+a
  type_text "$1"
  key Return
}
expect_file() { # path, expected bytes in a file
  for _ in $(seq 50); do [ -s "$1" ] && break; sleep 0.1; done
  sleep 0.3
  cmp "$1" "$2" || { cp "$1" "$artifacts/"; cp "$2" "$artifacts/expected-$(basename "$1")"; fail "$(basename "$1") differs"; }
}
exited() {
  for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || return 0; sleep 0.1; done
  fail "the program did not end"
}
sjis() { printf '%s' "$1" | iconv -f UTF-8 -t CP932; }

nl=$'\r\n'
start_doc="<COVER${nl} TITLE = \"任意のタイトル入力\"${nl} AUTHOR = \"作者の名前\"${nl} MAIL = \"メールアドレス\"${nl}"
start_doc+=" HP = \"ホームページ\"${nl} DATE = \"製作日\"${nl} GENRE = \"ORVEN\"${nl} COMMENT =\"一言コメント\"${nl}>${nl}${nl}"
start_doc+="<INCLUDE SRC=\"環境設定.dnml\"FOLDER=\"PLAYER\">${nl}<INCLUDE SRC=\"orven\\テンプレート.dnml\"FOLDER=\"PLAYER\">${nl}${nl}"
start_doc+="<TITLE ALT=\"任意のタイトル\">${nl}${nl}<ENTER NAME=\"人\">${nl}"

echo "e2e: 1. the starting document saves as 335 bytes"
start
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
gone "森本航選択"
focused "$main_title"
key Tab Tab Tab space                  # Command14: music
focused "音楽選択"
type_text "Snow"
key Down Return Return
gone "音楽選択"
focused "$main_title"
key Tab Tab Tab Tab space              # Command15: places
focused "場所選択"
type_text "背景無し"
key Down Return Return
gone "場所選択"
focused "$main_title"
key Return
key alt+e d                            # demo, system and date pictures
focused "デモCG他選択"
type_text "１月７日"
key Down Return Return
gone "デモCG他選択"
focused "$main_title"
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
type_text "€"
key alt+f s
window "保存" >/dev/null
key Return
gone "保存"
[ ! -e "$work/euro.dnml" ] || fail "a file was written"
key BackSpace

echo "e2e: 4. closing with unsaved edits: No, then a cancelled save keeps the window"
xdotool getactivewindow >/dev/null
wmctrl -c "$main_title"
focused "終了確認"
key Tab Return                         # No
sleep 0.8
key Escape
sleep 0.5
window "$main_title" >/dev/null
kill -0 "$app" 2>/dev/null || fail "the window closed and lost the text"
wmctrl -c "$main_title"
focused "終了確認"
key Return                             # Yes
exited

echo "e2e: 5. opening asks before dropping edits; a lone CR and LFs come back as the rules say"
printf 'A\rB\nC\r\n' >"$work/lone.dnml"
start
type_text "z"
key alt+f o
focused "開く確認"
key Tab Return                         # No: nothing opens
sleep 0.5
[ "$(xdotool getwindowname "$(xdotool getwindowfocus)")" = "$main_title" ] || fail "a dialog opened after No"
key alt+f o
focused "開く確認"
key Return                             # Yes
file_dialog "$work/lone.dnml"
sleep 0.5
key alt+f s
file_dialog "$work/lone-saved.dnml"
printf 'A\r\nB\nC\r\n' >"$work/lone.expected"
expect_file "$work/lone-saved.dnml" "$work/lone.expected"

echo "e2e: 6. an empty file opens empty; bytes that are not Shift-JIS are flagged and block saving"
: >"$work/empty.dnml"
key alt+f o                                # saved just now: no question
file_dialog "$work/empty.dnml"
sleep 0.5
key alt+f s
file_dialog "$work/empty-saved.dnml"
printf '\r\n' >"$work/empty.expected"
expect_file "$work/empty-saved.dnml" "$work/empty.expected"
printf 'ok\r\nbad \x80 byte\r\n' >"$work/bad.dnml"
key alt+f o
file_dialog "$work/bad.dnml"
focused "開く"                             # names the line; the text is open
key Return
key alt+f s
focused "保存"                             # U+FFFD cannot be saved
key Return
sleep 0.3
[ "$(xdotool getwindowname "$(xdotool getwindowfocus)")" = "$main_title" ] || fail "a save dialog opened"

echo "e2e: 7. exit with unsaved edits asks too"
type_text "q"
key alt+f x
focused "終了確認"
key Return
exited
echo "e2e: all passed"
