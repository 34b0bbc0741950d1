#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the fuzz targets with clang, AddressSanitizer and UndefinedBehaviorSanitizer
# (the module file instrumented too) and runs each for a bounded time from the
# seeds in fuzz/corpus/<target>/. Any crash, sanitizer report, failed invariant
# or hang fails the target; the script exits non-zero when one fails.
#
#   fuzz/smoke.sh [BUILD_DIR]        default build/fuzz
#   FUZZ_SECONDS                     time per target (default 30 s: five targets, 2.5 min)
#   FUZZ_RUNS                        inputs per target (default -1: no bound but the time)
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$root/build/fuzz}
runs=${FUZZ_RUNS:--1}
seconds=${FUZZ_SECONDS:-30}

configure=(cmake -S "$root" -B "$build" -G Ninja
  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo
  -DKV_BUILD_HOST=ON -DKV_BUILD_TESTS=OFF -DKV_BUILD_FUZZ=ON
  -DKV_SANITIZE=address,undefined -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link)
mkdir -p "$build"
if ! "${configure[@]}" >"$build/configure.log" 2>&1; then
  cat "$build/configure.log" >&2
  echo "fuzz: configure failed"
  echo "0 passed, 1 failed"
  exit 1
fi
mapfile -t targets < <(grep -v '^$' "$build/fuzz/fuzz_targets.txt")
if ! cmake --build "$build" --target "${targets[@]}" -j2; then
  echo "fuzz: build failed"
  echo "0 passed, ${#targets[@]} failed"
  exit 1
fi

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:strict_string_checks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

passed=0
failed=0
for target in "${targets[@]}"; do
  # New inputs go into the build's own corpus; the checked-in seeds stay as they are.
  work="$build/fuzz/work/$target"
  rm -rf "$work"
  mkdir -p "$work/corpus" "$work/artifacts"
  options=(-runs="$runs" -max_total_time="$seconds" -timeout=10 -print_final_stats=1
    -artifact_prefix="$work/artifacts/")
  [[ -f "$root/fuzz/$target.dict" ]] && options+=(-dict="$root/fuzz/$target.dict")
  log="$work/fuzz.log"
  start=$SECONDS
  "$build/fuzz/$target" "${options[@]}" "$work/corpus" "$root/fuzz/corpus/$target" >"$log" 2>&1
  status=$?
  executed=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  if ((status == 0)); then
    passed=$((passed + 1))
    echo "PASS $target: ${executed:-?} inputs in $((SECONDS - start)) s"
  else
    failed=$((failed + 1))
    artifact=$(ls "$work"/artifacts/* 2>/dev/null | head -n 1)
    echo "FAIL $target: exit $status, reproducer ${artifact:-(none)}, log $log"
    grep -E 'ERROR|SUMMARY|runtime error|invariant failed|what\(\)' "$log" | head -n 5 | sed 's/^/  /'
  fi
done

echo "$passed passed, $failed failed"
((failed == 0))
