# SPDX-License-Identifier: MIT
# Checks shared by the scripts that read the built Windows files; sourced, not run.
# Each check prints PASS or FAIL and counts; pe_summary prints the totals and
# gives the status. OBJDUMP may name the tool.

objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
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

pe_summary() {
  echo "$passed passed, $failed failed"
  ((failed == 0))
}

# A 32-bit x86 PE file without debug sections; sets `headers` (objdump -p) and `characteristics`.
# Exits the script when the file is missing.
check_pe32_i386() {
  local file=$1
  if [[ ! -f "$file" ]]; then
    echo "FAIL: $file does not exist"
    echo "0 passed, 1 failed"
    exit 1
  fi
  # COFF machine field, read from the file itself: 4 bytes after the PE signature.
  local pe_offset
  pe_offset=$(od -An -tu4 -j60 -N4 "$file" | tr -d ' ')
  check "PE signature" "50450000" "$(od -An -tx1 -j"$pe_offset" -N4 "$file" | tr -d ' ')"
  check "machine is i386" "014c" "$(od -An -tx2 -j$((pe_offset + 4)) -N2 "$file" | tr -d ' ')"
  headers=$("$objdump" -p "$file")
  check "PE32 optional header" "010b" "$(awk '$1 == "Magic" { print $2 }' <<<"$headers")"
  characteristics=$(awk '$1 == "Characteristics" { print $2; exit }' <<<"$headers")
  # A release keeps its symbols in a separate file.
  check "no debug sections" "" "$("$objdump" -h "$file" | awk '$2 ~ /^\.z?debug/ { print $2 }' | paste -sd,)"
}

# Every imported DLL must come with Windows; a MinGW runtime DLL would not.
check_system_imports() {
  local imports foreign
  imports=$(awk '/DLL Name:/ { print $3 }' <<<"$headers")
  check "imports KERNEL32.dll" "yes" "$(grep -qix 'kernel32.dll' <<<"$imports" && echo yes || echo no)"
  foreign=$(grep -viE '^(kernel32|msvcrt|user32|advapi32|ntdll|ws2_32|shell32|ole32|gdi32|ucrtbase|api-ms-win-[a-z0-9-]+)\.dll$' \
    <<<"$imports" | paste -sd,)
  check "only system DLLs imported" "" "$foreign"
}
