#!/usr/bin/env bash
# End to end: the check by keys in the real program. A script with an
# unknown music title on line 20: F7 checks, F8 puts the caret at the
# start of the title, "X" goes there and the save has it. Then a clean
# script: F8 leaves the caret where it was.
# Usage: e2e_check.sh <scrivlet>
set -euo pipefail
scrivlet=$1
source "$(dirname "$0")/e2e_lib.sh"
e2e_begin e2e_check

lines=""
for i in $(seq 19); do lines+="「うん」<P>${nl}"; done
sjis "${lines}<BGM SRC=\"ありえない曲\">${nl}「また明日ね」<P>${nl}" >"$work/faulty.dnml"
sjis "${lines}" >"$work/clean.dnml"

echo "e2e_check: 1. F7, F8, X: the X lands right after the quote of the unknown title"
start_app
key alt+f o
file_dialog "$work/faulty.dnml"
focused "$main_title"
key F7
key F8
type_text "X"
key alt+f s
file_dialog "$work/fixed.dnml"
sjis "${lines}<BGM SRC=\"Xありえない曲\">${nl}「また明日ね」<P>${nl}" >"$work/fixed.expected"
expect_file "$work/fixed.dnml" "$work/fixed.expected"

echo "e2e_check: 2. a clean script: F8 leaves the caret where it was"
focused "$main_title"
key alt+f o
file_dialog "$work/clean.dnml"
focused "$main_title"
key ctrl+End F8
type_text "Y"
key alt+f s
file_dialog "$work/still.dnml"
# The file's last CR LF is the one saving adds: the caret was after "<P>".
sjis "${lines%$nl}Y${nl}" >"$work/still.expected"
expect_file "$work/still.dnml" "$work/still.expected"

echo "e2e_check: passed"
