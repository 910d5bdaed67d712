#!/usr/bin/env bash
# Installs the Debian packages the build, the program and its tests need,
# and only those that are missing; then configures and builds the release
# build in build/. Safe and quick to run again.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-translations-l10n   # Qt Widgets, and Qt's own Japanese texts
  fonts-ipafont-gothic                 # the Japanese Gothic of the script and the lists
  xvfb xauth openbox xdotool wmctrl x11-utils xclip imagemagick   # end-to-end tests in a real X server, pasting, screenshots of failures
  clang libclang-rt-14-dev             # fuzzing and sanitizers
  libxcb1-dev                          # the start-up benchmark watches the X server
  desktop-file-utils appstream libxml2-utils shared-mime-info libglib2.0-bin   # checking the desktop files, opening a script as the desktop does
  dpkg-dev fakeroot lintian file       # the Debian package: dpkg-shlibdeps, and checking it
  fcitx5 fcitx5-mozc fcitx5-frontend-qt6 dbus util-linux   # Japanese typed through a real input method, as its own user
  at-spi2-core python3-pyatspi         # what a screen reader is told, walked over AT-SPI
  libmecab-dev mecab-ipadic-utf8       # reading the prose: MeCab and its IPA dictionary
  unidic-mecab                         # the lemmas that tell one word from another for 表記ゆれ (about 1 GB)
)
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

if [ ! -f build/CMakeCache.txt ]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build build
