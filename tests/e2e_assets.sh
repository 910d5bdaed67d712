#!/usr/bin/env bash
# End to end: assets by keys in the real program. Ctrl+P, a few letters of
# a name and Return write that row as its picker would; a list drops down
# under the caret inside <BGM SRC=" and Return takes its row; Escape keeps
# it away while the caret stays in the value; a sprite's picker refuses a
# name no row has and writes nothing. The saved file holds exactly what the
# author should get. A sprite picked in its picker is taken back whole by
# one Ctrl+Z: the file saved after it is the file before, byte for byte.
# Usage: e2e_assets.sh <scrivlet> <catalogue_row>
set -euo pipefail
scrivlet=$1
row=$2
source "$(dirname "$0")/e2e_lib.sh"
e2e_begin e2e_assets

palette="素材パレット"
expected="$start_doc"

echo "e2e_assets: 1. Ctrl+P, letters of a title, Return"
start_app
key ctrl+End
key ctrl+p
focused "$palette"
type_text "snow"
key Return
gone "$palette"
focused "$main_title"
expected+="<BGM SRC=\"Snow Drop\">${nl}"

echo "e2e_assets: 2. Ctrl+P, a sprite's whole name pasted, Return: the comment, the picture, the speaker"
name=$("$row" 12 adult 5 name)
ref=$("$row" 12 adult 5 ref)
key ctrl+p
focused "$palette"
paste "$name"
key Return
gone "$palette"
focused "$main_title"
expected+="<!--- \" $name \" --->${nl}<ACT NAME=\"人\" SRC=\"$ref\" FOLDER=\"ORVEN\">${nl}しずく "
key Return
expected+="$nl"

echo "e2e_assets: 3. inside <BGM SRC=\" the list drops down; Return takes its row and closes the quote"
type_text '<BGM SRC="mem'
popup_shown
focused "$main_title"                  # the list never takes the focus
key Return
popup_gone
type_text '>'
key Return
expected+="<BGM SRC=\"Memories of Snow\">${nl}"

echo "e2e_assets: 4. Escape keeps the list away while the caret stays in the value"
type_text '<SOUND SRC="'
popup_shown
key Escape
popup_gone
type_text 'x'
still_false 1 "the list came back inside the value it was dismissed from" has_popup
key BackSpace
paste "チャイム"
type_text '" FOLDER="ORVEN">'
key Return
expected+="<SOUND SRC=\"チャイム\" FOLDER=\"ORVEN\">${nl}"

echo "e2e_assets: 5. a sprite's picker refuses a name no row has"
key shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab space  # Command1
focused "星野ゆら選択"
key ctrl+a
paste "ゆら／水着・笑顔"
key Return                             # OK: refused, the picker stays
still_false 1 "the picker wrote a name no row has and closed" no_window "星野ゆら選択"
key Escape
gone "星野ゆら選択"
focused "$main_title"

key alt+f s
file_dialog "$work/assets.dnml"
sjis "$expected$nl" >"$work/assets.expected"
expect_file "$work/assets.dnml" "$work/assets.expected"

echo "e2e_assets: 6. a sprite picked in its picker, saved; one Ctrl+Z and saved again: the file as before"
name=$("$row" 5 adult 2 name)
ref=$("$row" 5 adult 2 ref)
key ctrl+f Escape                      # the focus in the script, whatever the dialog left
key shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab space  # Command1
focused "星野ゆら選択"
key Down Down Down                     # the third row
key Return                             # OK
gone "星野ゆら選択"
focused "$main_title"
key ctrl+s
sjis "$expected<!--- \" $name \" --->${nl}<ACT NAME=\"人\" SRC=\"$ref\" FOLDER=\"ORVEN\">${nl}ゆら $nl" \
  >"$work/picked.expected"
expect_file "$work/assets.dnml" "$work/picked.expected"
key ctrl+z
key ctrl+s
expect_file "$work/assets.dnml" "$work/assets.expected"
echo "e2e_assets: passed"
