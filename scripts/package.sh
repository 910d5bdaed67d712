#!/usr/bin/env bash
# Builds the Debian package: installs what is missing, builds, and leaves
# build/package/scrivlet_<version>_<arch>.deb; its dependencies come from
# dpkg-shlibdeps. `package.sh --built DIR` packages a build folder that is
# already built (the test command does this from inside its tests).
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = --built ]; then
  build=$2
else
  bash scripts/setup.sh
  build=build
fi
# The package's files are owned by root whatever the user building it.
rm -f "$build"/package/scrivlet_*.deb
cpack --config "$build/CPackConfig.cmake" -B "$build/package" >"$build/package.log" 2>&1 ||
  { cat "$build/package.log" >&2; exit 1; }
deb=$(ls "$build"/package/scrivlet_*.deb)
echo "$deb"
