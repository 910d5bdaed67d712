#!/usr/bin/env bash
# What a screen reader is told: every control shown in the main window,
# with the search bar and the findings open, and in a picker, has a
# Japanese name, walked over AT-SPI on an accessibility bus of the test's
# own (at-spi2-core and python3-pyatspi); and a notice of the status bar
# is an alert that a screen reader reads out.
# Usage: e2e_accessibility.sh <scrivlet>
set -euo pipefail
scrivlet=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/e2e_lib.sh"
e2e_begin e2e_accessibility

# A session bus and the accessibility bus on it, for this test alone.
dbus-daemon --session --nofork --nopidfile --print-address=3 3>"$work/bus" >"$work/dbus.log" 2>&1 &
started $!
until_true "the session bus" test -s "$work/bus"
export DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$work/bus")
/usr/libexec/at-spi-bus-launcher --launch-immediately >"$work/a11y.log" 2>&1 &
started $!
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
bus_ready() { dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null 2>&1; }
until_true "the accessibility bus" bus_ready

names() { /usr/bin/python3 "$here/accessible_names.py" scrivlet >"$work/names.txt" 2>&1; }
check_names() {
  if ! names; then
    mkdir -p "$artifacts"
    cp "$work/names.txt" "$artifacts/"
    cat "$work/names.txt"
    fail "$1: a control without a name"
  fi
  head -n 1 "$work/names.txt"
}
# The program appears on the bus once it has started.
program_on_the_bus() { names || grep -q 'without a name' "$work/names.txt"; }

echo "e2e_accessibility: 1. the main window"
start_app
until_true "the program on the accessibility bus" program_on_the_bus
check_names "the main window"

echo "e2e_accessibility: 1b. a notice is an alert, named with what it says"
paste "〜"
alert_shown() { /usr/bin/python3 "$here/accessible_names.py" scrivlet --alert "として入力しました" >"$work/alerts.txt" 2>&1; }
until_true "the look-alike notice as an alert" alert_shown

echo "e2e_accessibility: 2. the search bar with its replacement row, and the findings"
key ctrl+h
key F7
check_names "the search bar and the findings"

echo "e2e_accessibility: 3. a picker"
key Escape
focused "$main_title"
key alt+e d                                # デモCG他
focused "デモCG他選択"
check_names "a picker"
key Escape
gone "デモCG他選択"
focused "$main_title"
key alt+f x
focused "終了確認"                         # the pasted 〜 is unsaved
key Return                                 # Yes: leave it
exited
echo "e2e_accessibility: passed"
