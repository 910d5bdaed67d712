# Shared by the end-to-end tests: a private X server with a window manager,
# and steps that wait for what a user would see (a window, the focus, a
# popup, a file's bytes) instead of sleeping. Source it, then call e2e_begin.
#
# Every wait has a generous bound, E2E_TIMEOUT seconds (default 30), so a
# loaded machine only makes a run slower, never red. A failure keeps a
# screenshot, the program's output, the window list and the files compared
# in the artefacts folder it names: E2E_ARTIFACTS, or e2e-artifacts/<name>
# under the current folder.

e2e_timeout=${E2E_TIMEOUT:-30}
main_title='Scrivlet(ORVEN)'
nl=$'\r\n'
app=

# What a test starts is ended when it ends, however it ends, and waited
# for before its folders go: a process still writing there (the input
# method saving its state, the conversion server it spawned, a service the
# bus starts on demand) would otherwise fail a test that had passed.
# Besides the processes a test registers with `started`, every process
# started after this file is sourced carries this run's mark in
# E2E_RUN_MARK, which finds those that left their parent or run as another
# user. A mark already there is kept: a test that runs itself again as
# another user passes its mark on, and ends what that run left.
e2e_mark=e2e-$$-${EPOCHREALTIME//[!0-9]/}-$RANDOM
export E2E_RUN_MARK="${E2E_RUN_MARK:+$E2E_RUN_MARK }$e2e_mark"
tracked=()  # "PID START" of each registered process
scratch=()  # folders removed once every process has gone
# Bash runs this trap also when a signal ends the test (a time-out).
trap e2e_cleanup EXIT

# e2e_begin NAME: a scratch folder, a private home, state and runtime
# folders, Xvfb and openbox.
e2e_begin() {
  e2e_name=$1
  work=$(mktemp -d)
  scratch+=("$work")
  artifacts=${E2E_ARTIFACTS:-$PWD/e2e-artifacts/$e2e_name}
  rm -rf "$artifacts"
  export HOME=$work/home XDG_RUNTIME_DIR=$work/run XDG_DATA_HOME=$work/data \
    XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache XDG_STATE_HOME=$work/state
  mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_STATE_HOME"
  chmod 700 "$XDG_RUNTIME_DIR"
  unset QT_QPA_PLATFORM WAYLAND_DISPLAY

  # Xvfb picks a free display number and writes it to fd 3.
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  started $!
  until_true "Xvfb started" test -s "$work/display"
  export DISPLAY=:$(head -n 1 "$work/display")
  until_true "the X server to answer" xdpyinfo_ok
  # A window mapped while the window manager is still starting may never
  # be managed: wait until it has announced itself. A window manager that
  # could not start (seen once on a loaded machine) is started again.
  local tries
  for tries in 1 2 3; do
    openbox >>"$work/openbox.log" 2>&1 &
    wm=$!
    started $wm
    until_true "openbox started" wm_ready_or_gone
    wm_ready && return 0
  done
  fail "openbox did not start"
}

xdpyinfo_ok() { xdpyinfo >/dev/null 2>&1; }
wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
wm_ready_or_gone() { wm_ready || ! kill -0 "$wm" 2>/dev/null; }

# started PID: a process this test started, ended when the test ends. It
# is known by its PID and start time, so that a PID given to another
# process meanwhile is never signalled.
started() { if proc_stat "$1"; then tracked+=("$1 $proc_start"); fi; }

# proc_stat PID: sets proc_state and proc_start (clock ticks since boot) from
# /proc/PID/stat; false when there is no such process.
proc_stat() {
  local stat
  { read -r stat <"/proc/$1/stat"; } 2>/dev/null || return 1
  set -f
  set -- ${stat##*) }
  set +f
  proc_state=$1 proc_start=${20}
}
# running PID START: that process is there and not a zombie.
running() { proc_stat "$1" && [ "$proc_start" = "$2" ] && [[ $proc_state != [ZX] ]]; }
# The processes that carry this run's mark, as "PID START".
marked() {
  local file pid
  for file in $(grep -lszE "^E2E_RUN_MARK=(.* )?$e2e_mark( |\$)" /proc/[0-9]*/environ); do
    pid=${file#/proc/}
    pid=${pid%/environ}
    proc_stat "$pid" && [[ $proc_state != [ZX] ]] && echo "$pid $proc_start"
  done
}

# end_processes: TERM to every registered or marked process still there,
# the last started first, and to any that appears meanwhile; KILL to those
# left after E2E_GRACE seconds (default 10; a conversion server takes a
# few to end); waits for all to be gone. False, naming them, when some
# are still there E2E_GRACE more seconds after the KILL.
end_processes() {
  local grace=${E2E_GRACE:-10} signal=TERM entry i
  local kill_at=$((SECONDS + grace)) give_up=$((SECONDS + 2 * grace))
  local -A signalled=() seen
  local -a left
  while :; do
    left=()
    seen=()
    for ((i = ${#tracked[@]} - 1; i >= 0; i--)); do
      running ${tracked[i]} && left+=("${tracked[i]}") && seen[${tracked[i]}]=1
    done
    while read -r entry; do
      [ -n "$entry" ] && [ -z "${seen[$entry]:-}" ] && left+=("$entry")
    done < <(marked)
    [ ${#left[@]} -gt 0 ] || return 0
    if [ $SECONDS -ge $give_up ]; then
      for entry in "${left[@]}"; do
        echo "e2e: warning: process ${entry% *} ($(cat "/proc/${entry% *}/comm" 2>/dev/null)) outlived its KILL" >&2
      done
      return 1
    fi
    if [ $signal = TERM ] && [ $SECONDS -ge $kill_at ]; then
      signal=KILL
      signalled=()
    fi
    for entry in "${left[@]}"; do
      [ -z "${signalled[$entry]:-}" ] || continue
      signalled[$entry]=1
      running $entry && kill -s $signal "${entry% *}" 2>/dev/null
    done
    sleep 0.05
  done
}

# The one exit path: ends the processes, then removes the folders. A
# problem there is a warning; the test's own status stands.
e2e_cleanup() {
  local status=$? folder message
  set +e
  trap - EXIT
  end_processes
  for folder in "${scratch[@]}"; do
    message=$(rm -rf -- "$folder" 2>&1) ||
      echo "e2e: warning: $folder was not removed: ${message:-rm failed}" >&2
  done
  exit "$status"
}

fail() {
  mkdir -p "$artifacts"
  echo "e2e: FAIL: $*" >&2
  if [ -f "$work/scrivlet.log" ]; then
    cp "$work/scrivlet.log" "$artifacts/"
    sed 's/^/  scrivlet: /' "$work/scrivlet.log" >&2
  fi
  cp "$work"/*.log "$work"/*.png "$artifacts/" 2>/dev/null || true
  kill -0 "${wm:-0}" 2>/dev/null || echo "e2e: the window manager is not running" >&2
  xwininfo -root -tree >"$artifacts/windows.txt" 2>&1 || true
  local id
  for id in $(xwininfo -root -children 2>/dev/null | awk '/"Scrivlet|選択"|"保存"|"開く"/ {print $1}'); do
    xwininfo -id "$id" 2>/dev/null | grep -E 'xwininfo:|Map State' >>"$artifacts/windows.txt"
  done
  grep -E '^ +0x' "$artifacts/windows.txt" | grep -v 'has no name' | sed 's/^ */  window: /' >&2 || true
  import -window root "$artifacts/failure.png" 2>/dev/null || true
  echo "e2e: artefacts of this failure are in $artifacts" >&2
  exit 1
}

# until_true DESCRIPTION COMMAND…: polls COMMAND every 50 ms until it
# succeeds; fails naming DESCRIPTION after the time-out.
until_true() {
  local description=$1
  shift
  local deadline=$((SECONDS + e2e_timeout))
  until "$@"; do
    [ $SECONDS -lt $deadline ] || fail "waited ${e2e_timeout} s for: $description"
    sleep 0.05
  done
}

# still_false SECONDS DESCRIPTION COMMAND…: COMMAND stays false for that
# long; for what must not happen (a dialog that must not open).
still_false() {
  local until=$((SECONDS + $1)) description=$2
  shift 2
  while [ $SECONDS -lt $until ]; do
    "$@" && fail "$description"
    sleep 0.05
  done
  return 0
}

exact() { printf '^%s$' "$(printf '%s' "$1" | sed 's/[][\.*^$()+?{}|]/\\&/g')"; }
visible_window() { xdotool search --onlyvisible --name "$(exact "$1")" 2>/dev/null | head -n 1; }
has_window() { [ -n "$(visible_window "$1")" ]; }
no_window() { ! has_window "$1"; }
focus_name() { xdotool getwindowname "$(xdotool getwindowfocus 2>/dev/null)" 2>/dev/null; }
focus_is() { [ "$(focus_name)" = "$1" ]; }
focus_is_not() { local name; name=$(focus_name) && [ -n "$name" ] && [ "$name" != "$1" ]; }

# window TITLE: waits for a visible top-level window titled exactly TITLE.
window() { until_true "a window \"$1\"" has_window "$1"; }
gone() { until_true "window \"$1\" to go" no_window "$1"; }
# focused TITLE: waits until that window has the keyboard focus, asking
# the window manager for it while it does not.
focused() {
  window "$1"
  local deadline=$((SECONDS + e2e_timeout))
  until focus_is "$1"; do
    [ $SECONDS -lt $deadline ] || fail "window \"$1\" never got the focus"
    xdotool windowactivate "$(visible_window "$1")" 2>/dev/null || true
    sleep 0.05
  done
}

# The program's override-redirect windows: menus, the rows a field drops
# down, tooltips.
popups() {
  local id
  for id in $(xdotool search --onlyvisible --pid "$app" 2>/dev/null); do
    xwininfo -id "$id" 2>/dev/null | grep -q 'Override Redirect State: yes' && echo "$id"
  done
}
has_popup() { [ -n "$(popups)" ]; }
no_popup() { ! has_popup; }
popup_shown() { until_true "the dropped-down rows" has_popup; }
popup_gone() { until_true "the dropped-down rows to close" no_popup; }

key() { xdotool key --clearmodifiers --delay 40 "$@"; }
# menu LETTER KEY: opens a menu of the menu bar with Alt+LETTER and, once
# it is shown, presses KEY, an item's access key. Pressed at once, KEY can
# reach the window before the menu takes the keyboard.
menu() {
  key "alt+$1"
  popup_shown
  key "$2"
}
# Types text that is on the keyboard map (ASCII); anything else is pasted.
type_text() {
  LC_ALL=C grep -q '^[ -~]*$' <<<"$1" || fail "type_text takes ASCII only; paste \"$1\" instead"
  xdotool type --delay 30 -- "$1"
}
# paste TEXT: puts TEXT on the clipboard and pastes it with Ctrl+V, as a
# user would bring in characters the keyboard cannot type.
paste() {
  printf '%s' "$1" | xclip -quiet -selection clipboard -i >/dev/null 2>&1 &
  started $!
  until_true "the clipboard to hold \"$1\"" clipboard_holds "$1"
  key ctrl+v
}
clipboard_holds() { [ "$(xclip -o -selection clipboard 2>/dev/null)" = "$1" ]; }

# start_app [ARGS…]: starts the program and waits for its main window to
# have the focus.
start_app() {
  "$scrivlet" "$@" >>"$work/scrivlet.log" 2>&1 &
  app=$!
  started $app
  focused "$main_title"
}
exited() { until_true "the program to end" program_ended; }
program_ended() { ! kill -0 "$app" 2>/dev/null; }

# file_dialog PATH: in the file dialog that is opening, types PATH over the
# proposed name and accepts it.
# The open dialog and the open warning share the title 開く, so the dialog
# is told by its window and waited on until that window is gone.
file_dialog() {
  until_true "a file dialog" file_dialog_focused
  local dialog
  dialog=$(xdotool getwindowfocus)
  key ctrl+a
  type_text "$1"
  key Return
  until_true "the file dialog to close" unmapped "$dialog"
}
file_dialog_focused() { local name; name=$(focus_name) && [ "$name" = 開く ] || [ "$name" = 名前を付けて保存 ]; }
unmapped() { ! xwininfo -id "$1" 2>/dev/null | grep -q IsViewable; }

# expect_file PATH EXPECTED: waits until PATH holds exactly EXPECTED's bytes.
expect_file() {
  local deadline=$((SECONDS + e2e_timeout))
  until [ -f "$1" ] && cmp -s "$1" "$2"; do
    if [ $SECONDS -ge $deadline ]; then
      mkdir -p "$artifacts"
      [ -f "$1" ] && cp "$1" "$artifacts/actual-$(basename "$1")"
      cp "$2" "$artifacts/expected-$(basename "$1")"
      fail "$(basename "$1") differs from what the author should get"
    fi
    sleep 0.05
  done
}

sjis() { printf '%s' "$1" | iconv -f UTF-8 -t CP932; }

start_doc="<COVER${nl} TITLE = \"任意のタイトル入力\"${nl} AUTHOR = \"作者の名前\"${nl} MAIL = \"メールアドレス\"${nl}"
start_doc+=" HP = \"ホームページ\"${nl} DATE = \"製作日\"${nl} GENRE = \"ORVEN\"${nl} COMMENT =\"一言コメント\"${nl}>${nl}${nl}"
start_doc+="<INCLUDE SRC=\"環境設定.dnml\"FOLDER=\"PLAYER\">${nl}<INCLUDE SRC=\"orven\\テンプレート.dnml\"FOLDER=\"PLAYER\">${nl}${nl}"
start_doc+="<TITLE ALT=\"任意のタイトル\">${nl}${nl}<ENTER NAME=\"人\">${nl}"
