#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: unit tests on the
# offscreen platform, end-to-end tests in a real X server.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
ctest --test-dir build --output-on-failure
