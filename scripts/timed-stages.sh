#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs one stage of `make test` and adds its wall time to a table:
#
#   scripts/timed-stages.sh TABLE                    starts an empty table
#   scripts/timed-stages.sh TABLE STAGE COMMAND...   runs COMMAND, then adds "STAGE  SECONDS"
#
# The stage's exit status is the command's; a failed stage is marked so and
# prints the table.
set -uo pipefail

table=$1
if (($# == 1)); then
  mkdir -p "$(dirname "$table")"
  printf '%-28s %8s\n' stage seconds >"$table"
  exit 0
fi
stage=$2
shift 2
start=$(date +%s)
"$@"
status=$?
seconds=$(($(date +%s) - start))
if ((status != 0)); then
  stage="$stage (failed)"
fi
printf '%-28s %8d\n' "$stage" "$seconds" >>"$table"
total=$(awk 'NR > 1 { sum += $NF } END { print sum + 0 }' "$table")
echo "--- $stage: ${seconds} s (so far ${total} s)"
# `make test` stops at a failure: the table so far is its last word.
if ((status != 0)); then
  cat "$table"
fi
exit "$status"
