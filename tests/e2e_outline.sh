#!/usr/bin/env bash
# End to end: the outline panel by keys in the real program. A script whose
# 本編 lies far below the caret: Ctrl+Shift+O, the section's name, Return
# puts the caret at the start of its line and the focus in the script, "X"
# goes there and the save has it. Then the counts written as CSV through
# the real file dialog (Alt+W), byte for byte.
# Usage: e2e_outline.sh <scrivlet>
set -euo pipefail
scrivlet=$1
source "$(dirname "$0")/e2e_lib.sh"
e2e_begin e2e_outline

middle=""
for i in $(seq 40); do middle+="「うん」<P>${nl}"; done
head="<!-- 前書き -->${nl}<BACKGROUND COLOR=\"#000000\">${nl}雪が降っていた。<P>${nl}${middle}"
tail="<!-- 本編 -->${nl}<BACKGROUND SRC=\"駅のホーム\" FOLDER=\"ORVEN\">${nl}ゆら 「うん」<P>${nl}また明日。<P>${nl}"
sjis "${head}${tail}" >"$work/story.dnml"

echo "e2e_outline: 1. Ctrl+Shift+O, 本編, Return: the caret at the start of that section"
start_app
key alt+f o
file_dialog "$work/story.dnml"
focused "$main_title"
key ctrl+End
key ctrl+shift+o
paste "本編"
key Return
type_text "X"
key alt+f s
file_dialog "$work/jumped.dnml"
sjis "${head}X${tail}" >"$work/jumped.expected"
expect_file "$work/jumped.dnml" "$work/jumped.expected"

echo "e2e_outline: 2. Alt+W writes the counts per speaker as CSV, UTF-8 with a byte-order mark"
focused "$main_title"
key alt+w
until_true "the CSV file dialog" focus_is 文字数の書き出し
dialog=$(xdotool getwindowfocus)
key ctrl+a
type_text "$work/counts.csv"
key Return
until_true "the CSV file dialog to close" unmapped "$dialog"
# Narration: 40 + 2 lines, 173 characters, and the line the X made; ゆら's
# one line, her name included; 44 rows of 20 fill 3 pages.
printf '\xEF\xBB\xBF%s\r\n%s\r\n%s\r\n%s\r\n' '話者,行数,文字数,原稿用紙(枚)' '地の文,43,174,3' \
  '星野ゆら,1,6,1' '合計,44,180,3' >"$work/counts.expected"
expect_file "$work/counts.csv" "$work/counts.expected"

echo "e2e_outline: passed"
