#!/usr/bin/env bash
# End to end: 統一 shows every place before it writes, by keys in the real
# program. A script that writes 出来る three times and できる twice: F7
# checks, F8 goes to the first できる, Alt+T opens 表記の統一 with both
# places ticked, Alt+C and Space untick the first, Return writes the other
# one only; the save has it, and one Ctrl+Z gives the file back byte for
# byte.
# Usage: e2e_unify.sh <scrivlet>
set -euo pipefail
scrivlet=$1
source "$(dirname "$0")/e2e_lib.sh"
e2e_begin e2e_unify

original="出来る。出来た。出来ない。${nl}できる。${nl}できた。${nl}"
sjis "$original" >"$work/words.dnml"

echo "e2e_unify: F7, F8, Alt+T, untick the first place, Return: only the second is written"
start_app
key alt+f o
file_dialog "$work/words.dnml"
focused "$main_title"
key F7 F8 alt+t
focused 表記の統一
key alt+c space Return
focused "$main_title"
key alt+f s
file_dialog "$work/unified.dnml"
sjis "出来る。出来た。出来ない。${nl}できる。${nl}出来た。${nl}" >"$work/unified.expected"
expect_file "$work/unified.dnml" "$work/unified.expected"

echo "e2e_unify: one Ctrl+Z takes the whole step back"
key ctrl+z alt+f s
file_dialog "$work/undone.dnml"
sjis "$original" >"$work/undone.expected"
expect_file "$work/undone.dnml" "$work/undone.expected"

echo "e2e_unify: passed"
