#!/usr/bin/env bash
# Japanese typed as every author types it: through a real input method,
# Debian's fcitx5 with Mozc, on its own D-Bus session, in a real X server.
# Romaji typed in Text1 and in a picker's field is converted, committed
# and saved; the text being composed shows at the caret and the candidate
# list opens near it; the Return that commits a conversion does not press
# OK, nor choose a row of the asset palette or of the list that completes
# an asset's name, and Escape during composition cancels the composition
# only.
# Usage: e2e_im.sh <scrivlet> <catalogue_row>
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/e2e_lib.sh"

# Mozc's conversion server exits at once under root, and fcitx5 then waits
# on it for ever. Run as root (as CI does), the test runs itself again as an
# unprivileged user of its own, X server and all, from a copy of what it
# needs in a folder that user can read. That run carries on this run's
# mark, so whatever it leaves behind is ended here before the folder goes.
if [ "$(id -u)" = 0 ] && [ -z "${E2E_IM_USER:-}" ]; then
  user=scrivlet-e2e
  id -u "$user" >/dev/null 2>&1 ||
    useradd --system --user-group --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin "$user"
  copy=$(mktemp -d)
  scratch+=("$copy")
  cp "$1" "$copy/scrivlet"
  cp "$2" "$copy/catalogue_row"
  cp "$here/e2e_lib.sh" "$here/e2e_im.sh" "$copy/"
  mkdir "$copy/artifacts"
  chown -R "$user:" "$copy"
  chmod 755 "$copy"
  status=0
  (cd "$copy" && setpriv --reuid="$user" --regid="$user" --init-groups \
    env -i PATH="$PATH" LANG=C.UTF-8 E2E_IM_USER="$user" E2E_TIMEOUT="${E2E_TIMEOUT:-30}" E2E_RUN_MARK="$E2E_RUN_MARK" \
    E2E_ARTIFACTS="$copy/artifacts" bash "$copy/e2e_im.sh" "$copy/scrivlet" "$copy/catalogue_row") || status=$?
  if [ -n "$(ls -A "$copy/artifacts")" ]; then
    artifacts=${E2E_ARTIFACTS:-$PWD/e2e-artifacts/e2e_im}
    rm -rf "$artifacts"
    mkdir -p "$artifacts"
    cp -r "$copy/artifacts/." "$artifacts/"
    echo "e2e_im: artefacts are in $artifacts" >&2
  fi
  exit "$status"
fi

scrivlet=$1
row=$2
e2e_begin e2e_im

# A D-Bus session of our own, which fcitx5 and the program's input context
# talk over. It starts nothing on demand: a bus that reads the desktop's
# service files, asked for fcitx5 (fcitx5-remote) before ours has taken its
# name, starts a second fcitx5 with every addon on; that one takes the name,
# ours exits, and the second is nobody's child.
cat >"$work/bus.conf" <<'BUS'
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=/tmp</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
BUS
dbus-daemon --config-file="$work/bus.conf" --nofork --nopidfile --print-address=3 3>"$work/bus" >"$work/dbus.log" 2>&1 &
started $!
until_true "the D-Bus session" test -s "$work/bus"
export DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$work/bus")

# The smallest profile that types Japanese: the US keyboard and Mozc.
mkdir -p "$XDG_CONFIG_HOME/fcitx5"
cat >"$XDG_CONFIG_HOME/fcitx5/profile" <<'PROFILE'
[Groups/0]
Name=Default
Default Layout=us
DefaultIM=mozc

[Groups/0/Items/0]
Name=keyboard-us
Layout=

[Groups/0/Items/1]
Name=mozc
Layout=

[GroupOrder]
0=Default
PROFILE
export QT_IM_MODULE=fcitx XMODIFIERS=@im=fcitx
fcitx5 --disable=clipboard,notificationitem,kimpanel,emoji,quickphrase,spell,unicode >"$work/fcitx5.log" 2>&1 &
started $!
fcitx_state() { fcitx5-remote 2>/dev/null; }
fcitx_answers() { [[ "$(fcitx_state)" =~ ^[0-2]$ ]]; }
fcitx_on() { [ "$(fcitx_state)" = 2 ]; }
until_true "fcitx5 to answer (fcitx5-remote)" fcitx_answers

# im_on: turns the input method on for the focused window, as the author
# does with the key of their choice. Every new window starts with it off:
# until fcitx5 answers 1, the answer is still the last window's.
# Keys pressed before that go through an input context still being made,
# and the first of them can be lost: im_seen waits for it.
fcitx_off() { [ "$(fcitx_state)" = 1 ]; }
im_seen() { until_true "the input method to see the new window (fcitx5-remote answering 1)" fcitx_off; }
im_on() {
  im_seen
  im_turn on
}
# im_turn on|off: asks fcitx5 until it answers so. Asked once, the request
# can reach fcitx5 before it has seen the focused window, and be lost.
im_turn() {
  local flag=-c state=1
  [ "$1" = off ] || flag=-o state=2
  until_true "the input method $1 (fcitx5-remote answering $state)" im_asked "$flag" "$state"
}
im_asked() { fcitx5-remote "$1" 2>/dev/null; [ "$(fcitx_state)" = "$2" ]; }

# The candidate list is fcitx5's own window, not the program's.
candidate_window() {
  local id
  for id in $(xdotool search --onlyvisible --class fcitx 2>/dev/null); do
    xwininfo -id "$id" 2>/dev/null | grep -q 'IsViewable' && { echo "$id"; return 0; }
  done
  return 1
}
has_candidates() { candidate_window >/dev/null; }
no_candidates() { ! has_candidates; }

# What changed on the screen since `snapshot NAME`, as the box around the
# changed pixels: "W H X Y", or nothing.
snapshot() { import -window root "$work/$1.png"; }
changed_box() {
  import -window root "$work/now.png"
  convert "$work/$1.png" "$work/now.png" -compose difference -composite -threshold 0 \
    -trim -format '%w %h %X %Y' info: 2>/dev/null | tr -d '+'
}
# Composed text is wider than the caret, a line one or two pixels wide
# that may blink meanwhile.
wide_change() {
  read -r box_w box_h box_x box_y <<<"$(changed_box "$1")" || return 1
  [ "${box_w:-0}" -ge 30 ] && [ "${box_w:-0}" -lt 400 ]
}
# The file dialog is a new window too. Its name field drops down the
# folder's entries after the first "/", and a key typed while they appear
# can be lost on its way back from the input method: the path is pasted.
im_file_dialog() {
  until_true "a file dialog" file_dialog_focused
  im_seen
  local dialog
  dialog=$(xdotool getwindowfocus)
  key ctrl+a
  paste "$1"
  key Return
  until_true "the file dialog to close" unmapped "$dialog"
}
geometry() { # window id -> "X Y W H"
  xdotool getwindowgeometry --shell "$1" | awk -F= '/^X=/{x=$2} /^Y=/{y=$2} /^WIDTH=/{w=$2} /^HEIGHT=/{h=$2} END{print x, y, w, h}'
}

echo "e2e_im: 1. romaji in Text1: composed at the caret, candidates near it, committed and saved"
start_app
im_seen
key ctrl+End                            # the empty last line of the starting document
im_on
snapshot before
type_text "nihongo"
until_true "the composed text at the caret" wide_change before
read -r main_x main_y main_w main_h <<<"$(geometry "$(visible_window "$main_title")")"
# The caret stands at the start of the last line: the composed text starts
# at the left edge of Text1, in its lower half.
[ $((box_x - main_x)) -lt 20 ] || fail "the composed text starts at x=$box_x, not at the caret (window at $main_x)"
[ "$box_y" -gt $((main_y + main_h / 3)) ] && [ "$box_y" -lt $((main_y + main_h)) ] ||
  fail "the composed text is at y=$box_y, not on the caret's line (window $main_y..$((main_y + main_h)))"
key space                               # converts in place
key space                               # the list of candidates, the second highlighted
until_true "the candidate list" has_candidates
read -r cand_x cand_y _ _ <<<"$(geometry "$(candidate_window)")"
[ $((cand_x - box_x)) -gt -40 ] && [ $((cand_x - box_x)) -lt 80 ] ||
  fail "the candidate list is at x=$cand_x, away from the composed text at x=$box_x"
[ $((cand_y - box_y)) -gt 0 ] && [ $((cand_y - box_y)) -lt 80 ] ||
  fail "the candidate list is at y=$cand_y, not just under the composed text at y=$box_y"
key Up Return                           # back to the first, 日本語, and commit
until_true "the candidate list to close" no_candidates
menu f s
im_file_dialog "$work/text.dnml"
sjis "${start_doc}日本語$nl" >"$work/text.expected"
expect_file "$work/text.dnml" "$work/text.expected"

echo "e2e_im: 2. Escape during composition in a picker cancels the composition, not the picker"
picker="星野ゆら選択"
key shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab space  # Command1
focused "$picker"
im_on
snapshot before
type_text "seifuku"
until_true "the composed text in the field" wide_change before
snapshot composing
key Escape
until_true "the composition to go" wide_change composing
still_false 1 "Escape during composition closed the picker" no_window "$picker"

echo "e2e_im: 3. a committed word filters the rows; its Return does not press OK"
type_text "seifuku"
key space space
until_true "the candidate list" has_candidates
key Up Return                           # commits 制服
popup_shown                             # the rows holding 制服, as typed text drops them
has_window "$picker" || fail "the Return that committed the word pressed OK"
key Return                              # the first of those rows
popup_gone
has_window "$picker" || fail "the Return that picked a row pressed OK"
key Return                              # OK
gone "$picker"
focused "$main_title"
menu f s
im_file_dialog "$work/picker.dnml"
name=$("$row" 5 adult 制服 name)
ref=$("$row" 5 adult 制服 ref)
text="${start_doc}日本語<!--- \" $name \" --->${nl}<ACT NAME=\"人\" SRC=\"$ref\" FOLDER=\"ORVEN\">${nl}ゆら "
sjis "$text$nl" >"$work/picker.expected"
expect_file "$work/picker.dnml" "$work/picker.expected"
echo "e2e_im: 4. 〜 typed through Mozc goes in as ～ and Ctrl+S saves it in place as 81 60"
im_turn on
snapshot before
type_text "chotto~"
until_true "the composed text at the caret" wide_change before
key Return                              # commits ちょっと〜 as composed
key ctrl+s
sjis "${text}ちょっと～$nl" >"$work/wave.expected"
expect_file "$work/picker.dnml" "$work/wave.expected"
text+="ちょっと～"

echo "e2e_im: 5. a conversion in the asset palette's field: its Return commits and chooses nothing"
palette="素材パレット"
focused "$main_title"
key ctrl+p
focused "$palette"
im_on
type_text "seifuku"
key space space
until_true "the candidate list" has_candidates
key Up Return                           # commits 制服, the rows narrow to it
until_true "the candidate list to close" no_candidates
still_false 1 "the Return that committed the word chose a row" no_window "$palette"
key Return                              # the first row holding 制服
gone "$palette"
focused "$main_title"
menu f s
im_file_dialog "$work/palette.dnml"
text+="<!--- \" $name \" --->${nl}<ACT NAME=\"人\" SRC=\"$ref\" FOLDER=\"ORVEN\">${nl}ゆら "
sjis "$text$nl" >"$work/palette.expected"
expect_file "$work/palette.dnml" "$work/palette.expected"

echo "e2e_im: 6. completion in a value goes while a word is composed; the Return that commits it takes no row"
focused "$main_title"
im_turn off
type_text '<ACT NAME="x" SRC="'
popup_shown                             # every sprite
im_turn on
type_text "yura"
popup_gone                              # ゆら being composed
key Return                              # commits ゆら as it stands
popup_shown                             # ゆら's sprites
key Return                              # the first of them
popup_gone
im_turn off
type_text ' FOLDER="ORVEN">'
menu f s
im_file_dialog "$work/completion.dnml"
text+="<ACT NAME=\"x\" SRC=\"$("$row" 5 adult 0 ref)\" FOLDER=\"ORVEN\">"
sjis "$text$nl" >"$work/completion.expected"
expect_file "$work/completion.dnml" "$work/completion.expected"
echo "e2e_im: passed"
