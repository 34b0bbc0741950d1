#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks the Windows plug-in file as the host loads it: a 32-bit x86 DLL that
# calls itself KV_Info_Node.p, exports the module descriptor alone, needs no
# DLL beyond the system's, and carries the version resource of VERSION.
# Usage: VERSION=A.B.C.D check_plugin_file.sh FILE   (OBJDUMP and PYTHON3 may name the tools)
set -uo pipefail

file=${1:?usage: VERSION=A.B.C.D check_plugin_file.sh FILE}
expected_version=${VERSION:?VERSION must give the expected file version, A.B.C.D}
python3=${PYTHON3:-python3}
here=$(dirname "$0")

source "$(dirname "$0")/pe_checks.sh"
check_pe32_i386 "$file"
check "DLL flag set" "8192" "$(((${characteristics:-0}) & 0x2000))"

# The export table: its library name, its size and the exported names.
exports=$(awk '/^The Export Tables/ { on = 1; next } /^(The |PE File )/ { on = 0 } on' <<<"$headers")
check "export directory name" "KV_Info_Node.p" "$(awk '$1 == "Name" { print $3; exit }' <<<"$exports")"
check "export address table size" "00000001" \
  "$(awk '/Export Address Table/ && NF == 4 { print $4; exit }' <<<"$exports")"
check "exported names" "_mod_descrip" \
  "$(sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/ s/^\t\[ *[0-9]*\] \(.*\)$/\1/p' <<<"$exports" | paste -sd,)"

check_system_imports

version=$("$python3" "$here/pe_version_info.py" "$file")
check "version resource readable" "0" "$?"
check "fixed file version" "$expected_version" "$(sed -n 's/^fixed FileVersion //p' <<<"$version")"
check "string FileVersion" "$expected_version" "$(sed -n 's/^string 041103a4 FileVersion=//p' <<<"$version")"
check "string FileDescription" "Lightwave3D Plugin" \
  "$(sed -n 's/^string 041103a4 FileDescription=//p' <<<"$version")"
check "translation" "0411 932" "$(sed -n 's/^translation //p' <<<"$version" | paste -sd,)"

pe_summary
