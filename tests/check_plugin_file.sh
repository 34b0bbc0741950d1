#!/usr/bin/env bash
# Checks the Windows plug-in file as the host loads it: a 32-bit x86 DLL that
# calls itself KV_Info_Node.p, exports the module descriptor alone, needs no
# DLL beyond the system's, and carries the expected version resource.
# Usage: check_plugin_file.sh FILE   (OBJDUMP and PYTHON3 may name the tools)
set -uo pipefail

file=${1:?usage: check_plugin_file.sh FILE}
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
python3=${PYTHON3:-python3}
here=$(dirname "$0")

passed=0
failed=0
check() {  # check WHAT EXPECTED ACTUAL
  if [[ "$3" == "$2" ]]; then
    echo "PASS: $1"
    passed=$((passed + 1))
  else
    echo "FAIL: $1: expected '$2', got '$3'"
    failed=$((failed + 1))
  fi
}

if [[ ! -f "$file" ]]; then
  echo "FAIL: $file does not exist"
  echo "0 passed, 1 failed"
  exit 1
fi

# COFF machine field, read from the file itself: 4 bytes after the PE signature.
pe_offset=$(od -An -tu4 -j60 -N4 "$file" | tr -d ' ')
check "PE signature" "50450000" "$(od -An -tx1 -j"$pe_offset" -N4 "$file" | tr -d ' ')"
check "machine is i386" "014c" "$(od -An -tx2 -j$((pe_offset + 4)) -N2 "$file" | tr -d ' ')"

headers=$("$objdump" -p "$file")
check "PE32 optional header" "010b" "$(awk '$1 == "Magic" { print $2 }' <<<"$headers")"
characteristics=$(awk '$1 == "Characteristics" { print $2; exit }' <<<"$headers")
check "DLL flag set" "8192" "$(((${characteristics:-0}) & 0x2000))"

# The export table: its library name, its size and the exported names.
exports=$(awk '/^The Export Tables/ { on = 1; next } /^(The |PE File )/ { on = 0 } on' <<<"$headers")
check "export directory name" "KV_Info_Node.p" "$(awk '$1 == "Name" { print $3; exit }' <<<"$exports")"
check "export address table size" "00000001" \
  "$(awk '/Export Address Table/ && NF == 4 { print $4; exit }' <<<"$exports")"
check "exported names" "_mod_descrip" \
  "$(sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/ s/^\t\[ *[0-9]*\] \(.*\)$/\1/p' <<<"$exports" | paste -sd,)"

# Every imported DLL must come with Windows; a MinGW runtime DLL would not.
imports=$(awk '/DLL Name:/ { print $3 }' <<<"$headers")
check "imports KERNEL32.dll" "yes" "$(grep -qix 'kernel32.dll' <<<"$imports" && echo yes || echo no)"
foreign=$(grep -viE '^(kernel32|msvcrt|user32|advapi32|ntdll|ws2_32|shell32|ole32|gdi32|ucrtbase|api-ms-win-[a-z0-9-]+)\.dll$' \
  <<<"$imports" | paste -sd,)
check "only system DLLs imported" "" "$foreign"

version=$("$python3" "$here/pe_version_info.py" "$file")
check "version resource readable" "0" "$?"
check "fixed file version" "yes" "$(grep -qx 'fixed FileVersion 0.1.1.5' <<<"$version" && echo yes || echo no)"
check "string FileVersion" "0.1.1.5" "$(sed -n 's/^string 041103a4 FileVersion=//p' <<<"$version")"
check "string FileDescription" "Lightwave3D Plugin" \
  "$(sed -n 's/^string 041103a4 FileDescription=//p' <<<"$version")"
check "translation" "0411 932" "$(sed -n 's/^translation //p' <<<"$version" | paste -sd,)"

echo "$passed passed, $failed failed"
((failed == 0))
