#!/usr/bin/env bash
# Makes docs/versions.png: the list of versions (ファイル → 以前の版) of a
# short script that was saved three times, one of them with a note, and
# the file as it first was compared with the script as it is now: lines
# gone and added, and inside a changed line the characters that differ.
source "$(dirname "$0")/screen_lib.sh"

sed 's/$/\r/' <<'EOF' | iconv -f UTF-8 -t CP932 >"$work/雪の駅.dnml"
<!-- 本編 -->
<BACKGROUND SRC="駅のホーム" FOLDER="ORVEN">
<BGM SRC="Snow Drop">
雪が降っていた。吐く息が白い。<P>
<!--- " ゆら／コート・少し横向・普通 " --->
<ACT NAME="人" SRC="PDT\CGYR10.PDT" FOLDER="ORVEN">
ゆら 「おはよう。待った？」<P>
「<INDENT>ううん、今来たところ。」</INDENT><P>
ふたりで改札を抜けた。<P>
EOF

build/scrivlet "$work/雪の駅.dnml" >/dev/null 2>&1 &
app=$!
main=$(xdotool search --sync --name '^Scrivlet\(ORVEN\)$' | head -n 1)
xdotool windowactivate --sync "$main"
sleep 1
paste() {
  [ -n "$clip" ] && kill "$clip" 2>/dev/null
  printf '%s' "$1" | xclip -quiet -selection clipboard -i >/dev/null 2>&1 &
  clip=$!
  sleep 0.3
  key ctrl+v
}
line() { key ctrl+g; xdotool type --delay 50 "$1"; key Return; }
# First save: a line of prose reworded.
line 4; key Home shift+End
paste "雪が降っていた。吐く息は白く、指先がかじかむ。<P>"
key ctrl+s
sleep 1
# Second save, named: a line gone, a line added.
line 8; key Home shift+Down Delete
line 8; key End Return
paste "ゆら 「行こうか」<P>"
key ctrl+s
sleep 1
key alt+f n
sleep 0.5
paste "初稿"
key Return
sleep 1
key alt+f h
sleep 1.5
key End                                               # the file as it first was
sleep 1
dialog=$(xdotool search --name '^以前の版 - ' | head -n 1)
xdotool windowsize --sync "$dialog" 820 560
sleep 1
picture "$dialog" versions.png
