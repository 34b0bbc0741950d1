#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks a Windows program built here (scenehost.exe) as Windows would start
# it: a 32-bit x86 console executable that needs no DLL beyond the system's,
# so that it runs on a machine without the MinGW runtime.
# Usage: check_windows_program.sh FILE   (OBJDUMP may name the tool)
set -uo pipefail

file=${1:?usage: check_windows_program.sh FILE}

source "$(dirname "$0")/pe_checks.sh"
check_pe32_i386 "$file"
check "executable image flag set" "2" "$(((${characteristics:-0}) & 0x0002))"
check "DLL flag clear" "0" "$(((${characteristics:-0}) & 0x2000))"
check "console subsystem" "00000003" "$(awk '$1 == "Subsystem" { print $2; exit }' <<<"$headers")"

check_system_imports

pe_summary
