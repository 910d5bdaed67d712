#!/usr/bin/env bash
# Builds the program and the baselines with the same flags (Release, -O2),
# writes the long script, runs every benchmark and prints one Markdown
# table, with the machine it ran on.
#
#   bash bench/run.sh             10 runs of each figure (program and
#                                 baseline alternating)
#   RUNS=20 bash bench/run.sh     more runs
#
# BENCH_BUILD (default build-bench) is the build folder; BENCH_JOBS
# (default 1) the build's parallel jobs.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${BENCH_BUILD:-build-bench}
runs=${RUNS:-10}
lines=550000

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" >/dev/null
cmake --build "$build" -j "${BENCH_JOBS:-1}" \
  --target scrivlet baseline_startup startup_probe scrivlet_bench make_script >/dev/null

script="$build/bench/long-$lines.dnml"
"$build/bench/make_script" "$script" "$lines"

log=$(mktemp)
rows=$(mktemp)
# The program's recovery journals and settings go to folders of the run's own.
export XDG_DATA_HOME=$(mktemp -d) XDG_CONFIG_HOME=$(mktemp -d)
trap 'rm -f "$log" "$rows"; rm -rf "$XDG_DATA_HOME" "$XDG_CONFIG_HOME"' EXIT
run() {
  if ! "$@" >>"$rows" 2>>"$log"; then
    cat "$log" >&2
    echo "bench/run.sh: $1 failed" >&2
    exit 1
  fi
}
echo "Running $runs alternating runs of each figure on $script ($(stat -c %s "$script") bytes, $lines lines)…" >&2
run "$build/bench/startup_probe" "$build/scrivlet" "$build/bench/baseline_startup" "$runs"
QT_QPA_PLATFORM=offscreen run "$build/bench/scrivlet_bench" "$script" "$runs"

model=$(lscpu | sed -n 's/^Model name: *//p' | head -n 1)
memory=$(awk '/^MemTotal:/ { printf "%.0f GB", $2 / 1048576 }' /proc/meminfo)
echo "Machine: $model, $(nproc) cores, $memory RAM; $(g++ --version | head -n 1), Qt $(pkg-config --modversion Qt6Core), -O2; $(date -u +%Y-%m-%d)"
echo
awk -F '\t' '
  { for (i = 1; i <= NF; i++) { cell[NR, i] = $i; if (length($i) > width[i]) width[i] = length($i) } }
  END {
    split("figure|program|baseline|ratio (median, min-max)|goal|met", head, "|")
    for (i = 1; i <= 6; i++) if (length(head[i]) > width[i]) width[i] = length(head[i])
    line = "|"; rule = "|"
    for (i = 1; i <= 6; i++) {
      line = line sprintf(" %-" width[i] "s |", head[i])
      dashes = ""; for (j = 0; j < width[i]; j++) dashes = dashes "-"
      rule = rule " " dashes " |"
    }
    print line; print rule
    for (r = 1; r <= NR; r++) {
      line = "|"
      for (i = 1; i <= 6; i++) line = line sprintf(" %-" width[i] "s |", cell[r, i])
      print line
    }
  }' "$rows"
