#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks that the Linux build of the module exports the descriptor and nothing
# else, as the Windows file does. Usage: check_module_exports.sh FILE (NM may name nm)
set -uo pipefail

file=${1:?usage: check_module_exports.sh FILE}
nm=${NM:-nm}

if ! symbols=$("$nm" -D --defined-only "$file"); then
  echo "FAIL: cannot read the dynamic symbols of $file"
  echo "0 passed, 1 failed"
  exit 1
fi
exported=$(awk 'NF == 3 { print $3 }' <<<"$symbols" | paste -sd,)
if [[ "$exported" == "_mod_descrip" ]]; then
  echo "PASS: $file exports _mod_descrip alone"
  echo "1 passed, 0 failed"
else
  echo "FAIL: $file exports '$exported', expected '_mod_descrip' alone"
  echo "0 passed, 1 failed"
  exit 1
fi
