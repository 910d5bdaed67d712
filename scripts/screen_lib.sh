# Sourced by the screenshot scripts: the build and its packages, a private
# X server with a window manager (its folders in $work), keys with a pause
# after them, and the picture of one window cut out of the screen. A script
# sets $app to the program it starts; $clip is a clipboard holder, if any.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash scripts/setup.sh >/dev/null
command -v import >/dev/null || { apt-get update -qq && apt-get install -y -qq imagemagick >/dev/null; }

work=$(mktemp -d)
app= clip=
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
trap 'kill $app $clip $wm $xvfb 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(head -n 1 "$work/display") HOME=$work XDG_RUNTIME_DIR=$work XDG_DATA_HOME=$work/data \
  XDG_CONFIG_HOME=$work/config
openbox >/dev/null 2>&1 &
wm=$!
for _ in $(seq 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break; sleep 0.1; done

key() { xdotool key --delay 80 "$@"; sleep 0.3; }

# picture WINDOW FILE: the window with its frame, as docs/FILE.
picture() {
  local x y w h
  read -r x y w h < <(xwininfo -id "$1" -frame |
    awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4} /Width:/{w=$2} /Height:/{h=$2} END{print x, y, w, h}')
  mkdir -p docs
  # The frame reaches a little beyond the client window.
  import -window root -crop "$((w + 8))x$((h + 30))+$((x - 4))+$((y - 24))" "docs/$2"
  echo "docs/$2 written"
}
