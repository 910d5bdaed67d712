#!/usr/bin/env bash
# Makes docs/screenshot.png: the editor under Xvfb with a window manager,
# made taller, holding a short script in colour with a few lines selected,
# a music title the game does not have found by the check (F7) in its
# panel, the outline panel (Ctrl+Shift+O) with its sections, scenes and
# headings, the counts of the script, the scene and the selection, and
# what is on stage at the caret, and the sprite picker of 星野ゆら open on
# the window's corner.
source "$(dirname "$0")/screen_lib.sh"

sed 's/$/\r/' <<'EOF' | iconv -f UTF-8 -t CP932 >"$work/雪の駅.dnml"
<!-- 前書き -->
<BACKGROUND COLOR="#000000">
この物語はフィクションです。<P>
<!-- 本編 -->
<!-- ■第一章　雪の駅 -->
<BACKGROUND SRC="駅のホーム" FOLDER="ORVEN">
<BGM SRC="Snow Drop">
雪が降っていた。吐く息が白い。<P>
<!--- " ゆら／コート・少し横向・普通 " --->
<ACT NAME="人" SRC="PDT\CGYR10.PDT" FOLDER="ORVEN">
ゆら 「おはよう。待った？」<P>
「<INDENT>ううん、今来たところ。」</INDENT><P>
<!--- " ちとせ／制服・正面・笑顔 " --->
<ACT NAME="人" SRC="PDT\CGCT11.PDT" FOLDER="ORVEN">
ちとせ 「ふたりとも、遅刻するよ！」<P>
<!-- ■第二章　放課後 -->
<BACKGROUND SRC="教室夕方" FOLDER="ORVEN">
<BGM SRC="Snow Dorp">
夕焼けが校舎を染めている。<P>
ゆら 「一緒に帰ろう？」<P>
<!-- 後書き -->
<BACKGROUND COLOR="#000000">
読んでくださって、ありがとうございました。<P>
EOF

build/scrivlet "$work/雪の駅.dnml" >/dev/null 2>&1 &
app=$!
main=$(xdotool search --sync --name '^Scrivlet\(ORVEN\)$' | head -n 1)
xdotool windowactivate --sync "$main"
xdotool windowsize --sync "$main" 700 740
sleep 1
key ctrl+g; xdotool type --delay 50 "8"; key Return   # line 8
for _ in $(seq 7); do xdotool key shift+Down; done    # lines 8 to 14 selected
key F7
key ctrl+shift+o
sleep 0.5
key Escape                                            # back to the script
for _ in $(seq 10); do xdotool key shift+Tab; sleep 0.1; done   # back to Command1
key space
sleep 1
key Down Down Down
sleep 0.5
picture "$main" screenshot.png
