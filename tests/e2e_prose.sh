#!/usr/bin/env bash
# End to end: the prose check and 使用箇所 by keys in the real program.
# 1. A script whose ゆら says 私 twice and あたし once: F7 checks, F8 puts
#    the caret on the あたし (the prose is read with MeCab on a worker; F8
#    waits for it), "X" goes there and the save has it.
# 2. Ctrl+Home, Ctrl+Shift+U lists ゆら's lines, Down and Return go to her
#    second one, "Y" goes at its start.
# Usage: e2e_prose.sh <scrivlet>
set -euo pipefail
scrivlet=$1
source "$(dirname "$0")/e2e_lib.sh"
e2e_begin e2e_prose

first="ゆら 「私は行く」<P>${nl}ゆら 「私も」<P>${nl}雪が降る。<P>${nl}"
sjis "${first}ゆら 「あたしは？」<P>${nl}" >"$work/voices.dnml"

echo "e2e_prose: 1. F7, F8, X: the X lands on the あたし"
start_app
key alt+f o
file_dialog "$work/voices.dnml"
focused "$main_title"
key F7 F8
type_text "X"
key alt+f s
file_dialog "$work/checked.dnml"
sjis "${first}ゆら 「Xあたしは？」<P>${nl}" >"$work/checked.expected"
expect_file "$work/checked.dnml" "$work/checked.expected"

echo "e2e_prose: 2. Ctrl+Shift+U on ゆら's line, Down, Return, Y: the Y lands at her second line"
focused "$main_title"
key ctrl+Home ctrl+shift+u Down Return
type_text "Y"
key alt+f s
file_dialog "$work/used.dnml"
sjis "ゆら 「私は行く」<P>${nl}Yゆら 「私も」<P>${nl}雪が降る。<P>${nl}ゆら 「Xあたしは？」<P>${nl}" >"$work/used.expected"
expect_file "$work/used.dnml" "$work/used.expected"

echo "e2e_prose: passed"
