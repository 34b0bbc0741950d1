#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs every benchmark of a bench build (default build/bench), keeps Google
# Benchmark's JSON in BUILD/results/, times scenehost on generated scenes
# (bench/scale.py, BUILD/results/scale.json) and prints the tables, also
# written to BUILD/results/summary.txt. Extra arguments go to every benchmark binary.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/bench}
shift || true
results=$build/results
mkdir -p "$results"
for suite in math nodes scene; do
  echo "=== kv_${suite}_bench ==="
  "$build/bench/kv_${suite}_bench" --benchmark_repetitions=5 --benchmark_display_aggregates_only=true \
    --benchmark_out_format=json --benchmark_out="$results/$suite.json" "$@"
done
echo "=== scenehost on scenes of studio size (bench/scale.py) ==="
python3 bench/scale.py "$build" "$results"
python3 bench/summarize.py "$results" | tee "$results/summary.txt"
