#!/usr/bin/env bash
# End to end: finding, replacing and jumping to a line by keys alone in the
# built program under a real X server, then saving through the real file
# dialog and comparing the file's bytes with what the author should get.
# Usage: e2e_search.sh <scrivlet>
set -euo pipefail
scrivlet=$1
source "$(dirname "$0")/e2e_lib.sh"
e2e_begin e2e_search

start_app

echo "e2e_search: 1. Ctrl+F, a word, Return to the next match, Escape, a typed word replaces it"
key ctrl+Home ctrl+f
type_text "orven"            # finds GENRE = "ORVEN" first, whatever the case
key Return                   # then orven\テンプレート.dnml
key Escape
type_text "ORVEN2"

echo "e2e_search: 2. Ctrl+H, the word, Tab, a replacement, Alt+A replaces all"
key ctrl+h
type_text "PLAYER"
key Tab
type_text "PLR"
key alt+a Escape

echo "e2e_search: 3. Ctrl+G to line 3, typing at its start"
key ctrl+g
type_text "3"
key Return
type_text "X"

echo "e2e_search: 4. the saved file"
key alt+f s
file_dialog "$work/search.dnml"
text=${start_doc/\"orven\\/\"ORVEN2\\}
text=${text//\"PLAYER\"/\"PLR\"}
text=${text/ AUTHOR =/X AUTHOR =}
[ "$text" != "$start_doc" ] || fail "the expected text is the starting document"
sjis "$text$nl" >"$work/search.expected"
expect_file "$work/search.dnml" "$work/search.expected"
echo "e2e_search: passed"
