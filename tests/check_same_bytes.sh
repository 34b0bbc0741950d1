#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the plug-in file a second time, from the same sources in another
# build folder at another time, and checks that it and its symbol file come
# out byte for byte as the first build made them: nothing of the folder, the
# time or the machine's state reaches them.
# Usage: check_same_bytes.sh SOURCE_DIR FIRST_FILE SECOND_BUILD_DIR CMAKE_ARG...
#        (CMAKE_ARG: the first build's generator, tool chain and build type)
set -uo pipefail

usage="usage: check_same_bytes.sh SOURCE_DIR FIRST_FILE SECOND_BUILD_DIR CMAKE_ARG..."
source_dir=${1:?$usage}
first=${2:?$usage}
second_dir=${3:?$usage}
cmake=${CMAKE:-cmake}
here=$(cd "$(dirname "$0")" && pwd)

source "$here/pe_checks.sh"
rm -rf "$second_dir"
trap 'rm -rf "$second_dir"' EXIT
# Only the module: the host side and the tests play no part in its bytes.
"$cmake" -S "$source_dir" -B "$second_dir" "${@:4}" -DKV_BUILD_HOST=OFF -DKV_BUILD_TESTS=OFF >"$second_dir.log" 2>&1 &&
  "$cmake" --build "$second_dir" --target KV_Info_Node >>"$second_dir.log" 2>&1
status=$?
((status == 0)) || cat "$second_dir.log"
rm -f "$second_dir.log"
check "second build of the plug-in file succeeds" "0" "$status"
second=$second_dir/$(basename "$first")
for suffix in "" .debug; do
  check "$(basename "$first")$suffix the same bytes from both builds" "yes" \
    "$(cmp "$first$suffix" "$second$suffix" >&2 && echo yes || echo no)"
done
pe_summary
