#!/usr/bin/env bash
# Installs what is missing, builds, and starts the editor.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "scrivlet: no display (DISPLAY is not set); to run it on a virtual one: xvfb-run -a bash scripts/run.sh" >&2
  exit 1
fi
exec build/scrivlet
