#!/usr/bin/env bash
# Fuzzes the script-file codec and the recovery journal's reader: each
# libFuzzer target (opening, saving, reading a journal) runs for the given
# number of seconds (default 600), starting from the seed corpus in
# tests/fuzz/corpus and from what earlier runs found, kept in build-fuzz/. A broken property or a sanitizer finding stops the run and
# leaves the input as build-fuzz/crash-*.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}

if [ ! -f build-fuzz/CMakeCache.txt ]; then
  cmake -S tests/fuzz -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build build-fuzz

for target in open save journal; do
  mkdir -p "build-fuzz/found-$target"
  echo "fuzz: $target for $seconds s"
  if ! build-fuzz/fuzz_$target -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
      -artifact_prefix="build-fuzz/crash-$target-" "build-fuzz/found-$target" "tests/fuzz/corpus/$target" \
      >"build-fuzz/fuzz_$target.log" 2>&1; then
    tail -n 40 "build-fuzz/fuzz_$target.log"
    exit 1
  fi
  grep -E 'stat::number_of_executed_units|stat::peak_rss_mb' "build-fuzz/fuzz_$target.log" | sed "s/^/fuzz: $target: /"
  echo "fuzz: $target: $(ls "build-fuzz/found-$target" | wc -l) inputs in the corpus"
done
