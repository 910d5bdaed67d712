#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: unit tests on the
# offscreen platform, end-to-end tests in a real X server.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
ctest --test-dir build --output-on-failure

# The unit tests once more, built with AddressSanitizer and
# UndefinedBehaviorSanitizer (the end-to-end tests run once, above).
if [ ! -f build-asan/CMakeCache.txt ]; then
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
fi
cmake --build build-asan
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -E '^(e2e|e2e_.*|desktop_files)$'

# The script-file codec and the journal reader under libFuzzer, a minute per
# target.
bash scripts/fuzz.sh 60
