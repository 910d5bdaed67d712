#!/usr/bin/env bash
# End to end: versions by keys in the real program. A script opened,
# changed and saved twice (Ctrl+S) leaves three versions: the file as it
# was and each save. ファイル → 以前の版 (Alt+F H), the oldest (Down Down),
# Return and Return to the question bring it back; the next save writes
# the first file again byte for byte. Then the second save's version
# against the text now, its difference taken over (Alt+T), saved. Last a
# named version (Alt+F N) with a note pasted into its field.
# Usage: e2e_versions.sh <scrivlet>
set -euo pipefail
scrivlet=$1
source "$(dirname "$0")/e2e_lib.sh"
e2e_begin e2e_versions

story="<BACKGROUND SRC=\"駅のホーム\" FOLDER=\"ORVEN\">${nl}雪が降っていた。<P>${nl}ゆら 「おはよう」<P>"
sjis "${story}${nl}" >"$work/story.dnml"
cp "$work/story.dnml" "$work/first.expected"
versions=$XDG_DATA_HOME/scrivlet/versions
records() { find "$versions" -name '*.version' 2>/dev/null | wc -l; }
records_are() { [ "$(records)" -eq "$1" ]; }
list_title='以前の版 - story.dnml'

echo "e2e_versions: 1. two saves keep the file as it was and each save"
start_app "$work/story.dnml"
key ctrl+End
type_text "X"
key ctrl+s
until_true "two versions: the file before the save and the save" records_are 2
type_text "Y"
key ctrl+s
until_true "the second save's version" records_are 3

echo "e2e_versions: 2. the oldest brought back by Return, Yes by Return; saved byte for byte"
key alt+f h
focused "$list_title"
key Down Down Return
focused "以前の版"
key Return
focused "$main_title"
key ctrl+s
expect_file "$work/story.dnml" "$work/first.expected"
until_true "the version of that save" records_are 4

echo "e2e_versions: 3. the second save against the text now, its difference taken over by Alt+T"
key alt+f h
focused "$list_title"
# Newest first: that save, the second save, the first save, the file as it was.
key Down alt+t
key Escape
focused "$main_title"
key ctrl+s
sjis "${story}XY${nl}" >"$work/taken.expected"
expect_file "$work/story.dnml" "$work/taken.expected"
until_true "the version of that save" records_are 5

echo "e2e_versions: 4. a named version with its note"
before=$(records)
key alt+f n
focused "版に名前を付けて保存"
paste "初稿"
key Return
focused "$main_title"
until_true "the named version" records_are $((before + 1))
python3 - "$versions" <<'EOF' || fail "no version holds the note 初稿"
import pathlib, sys
note = "初稿".encode("utf-16-be")
sys.exit(0 if any(note in p.read_bytes() for p in pathlib.Path(sys.argv[1]).rglob("*.version")) else 1)
EOF

echo "e2e_versions: passed"
