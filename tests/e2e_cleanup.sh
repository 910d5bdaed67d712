#!/usr/bin/env bash
# How every end-to-end test ends, tried on small tests of its own: what a
# test started is gone before its folder is removed, however it runs (left
# its parent and keeps writing into the folder, ignores TERM, runs as
# another user, outlives a test ended by a signal), and the end never
# changes the verdict: a passed test whose folder cannot be removed stays
# passed with a warning, a failed one stays failed.
# Usage: e2e_cleanup.sh
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/e2e_lib.sh"
work=$(mktemp -d)
scratch+=("$work")
artifacts=${E2E_ARTIFACTS:-$PWD/e2e-artifacts/e2e_cleanup}

# Bodies of the small tests. Each runs after e2e_begin, with $work its
# folder; forever is a process that runs until it is ended.
forever='while :; do sleep 1; done'
# The fault seen once: the input method's ibus address folder written
# while the folder was being removed, by a process that left its parent.
writer='( setsid bash -c '\''while :; do mkdir -p "$1/config/ibus/bus" && : >"$1/config/ibus/bus/$RANDOM"; done'\'' _ "$work" >/dev/null 2>&1 & )
until_true "the writer" test -d "$work/config/ibus/bus"'
deaf='bash -c '\''trap "" TERM; : >"$1/deaf"; '"$forever"\'' _ "$work" &
started $!
until_true "TERM ignored" test -e "$work/deaf"'
# A removal that fails, as it did while something still wrote there.
stuck='rm() { echo "rm: cannot remove '\''$work/config/ibus/bus'\'': Directory not empty" >&2; return 1; }'

rows=0
# row NAME STATUS WARNING FOLDER BODY: runs BODY as a test; it must end
# with STATUS, print a warning or not (yes/no), leave its folder gone or
# kept, and leave no process of its own behind.
row() {
  local name=$1 status=$2 warning=$3 folder=$4 body=$5 out=$work/row-$((++rows)) actual=0
  mkdir -p "$out"
  cat >"$out/test.sh" <<TEST
set -euo pipefail
source "$here/e2e_lib.sh"
e2e_begin cleanup-row
echo "\$work" >"$out/work"
echo "\$e2e_mark" >"$out/mark"
$body
TEST
  E2E_GRACE=2 E2E_ARTIFACTS=$out/artifacts bash "$out/test.sh" >"$out/log" 2>&1 || actual=$?
  local row_work row_mark
  row_work=$(cat "$out/work")
  row_mark=$(cat "$out/mark")
  [ "$folder" = kept ] && scratch+=("$row_work")
  [ "$actual" = "$status" ] || fail "$name: ended with $actual, not $status: $(cat "$out/log")"
  if grep -q '^e2e: warning' "$out/log"; then
    [ "$warning" = yes ] || fail "$name: a warning: $(cat "$out/log")"
  else
    [ "$warning" = no ] || fail "$name: no warning"
  fi
  if [ -e "$row_work" ]; then
    [ "$folder" = kept ] || fail "$name: its folder is still there: $(find "$row_work" | head -n 5)"
  else
    [ "$folder" = gone ] || fail "$name: its folder went although it could not be removed"
  fi
  # A zombie's environment reads empty.
  local left
  left=$(grep -lszE "^E2E_RUN_MARK=(.* )?$row_mark( |\$)" /proc/[0-9]*/environ | sed 's|environ$|cmdline|' |
    xargs -r cat 2>/dev/null | tr '\0' ' ') || true
  [ -z "$left" ] || fail "$name: left running: $left"
  echo "e2e_cleanup: $name"
}

row "a passed test stays passed, its X server and window manager gone" 0 no gone ':'
row "a writer that left its parent is ended before the folder goes" 0 no gone "$writer"
row "a process that ignores TERM is killed after the grace" 0 no gone "$deaf"
row "a failed test stays failed, its processes ended" 1 no gone "$forever &
started \$!
fail deliberately"
row "a test ended by TERM (a time-out) still ends what it started" 143 no gone "$writer
kill -TERM \$\$
$forever"
row "a passed test whose folder cannot be removed stays passed, with a warning" 0 yes kept "$stuck"
row "a failed test whose folder cannot be removed stays failed" 1 yes kept "$stuck
fail deliberately"
if [ "$(id -u)" = 0 ]; then
  row "a process run as another user and left behind is ended" 0 no gone "setpriv --reuid=nobody --regid=nogroup --clear-groups bash -c '($forever) >/dev/null 2>&1 &'"
fi
echo "e2e_cleanup: passed"
