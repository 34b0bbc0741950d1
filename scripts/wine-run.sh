#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs a Windows program under Wine with the program's own exit status, stdout
# and stderr:
#
#   scripts/wine-run.sh PROGRAM.exe [ARGUMENTS...]
#   scripts/wine-run.sh --prepare          makes the Wine prefix (scripts/setup.sh does)
#
# 32-bit Wine is an i386 program that this kernel runs only through qemu-i386.
# With the backports qemu that setup.sh fetches into the cache, the script
# re-runs itself in a user and mount namespace of its own and registers qemu
# there in a private binfmt_misc, so that the machine's own registrations stay
# as they are, and 64-bit Wine starts the program. Debian 12's own qemu (7.2)
# cannot run Wine's i386 preloader (the process fails to map its shared user
# data), so without the backports one the script starts Wine's i386 loader
# under that qemu itself, with no binfmt_misc: the loader then runs without its
# preloader. That serves the project's programs, which are 32-bit and start no
# other Windows program. Everything the script keeps lives in the cache folder
# (KV_CACHE_DIR, default .cache/ of the repository): qemu, the prefix, its lock.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cache=${KV_CACHE_DIR:-$root/.cache}
backports_qemu=$cache/qemu/usr/bin/qemu-i386
debian_qemu=/usr/bin/qemu-i386-static

export WINEPREFIX=$cache/wine-prefix
export WINEARCH=win64
export WINEDEBUG=-all
# No Mono or Gecko installs when the prefix is made.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY

if [[ -x $backports_qemu ]]; then
  if [[ ${KV_WINE_NAMESPACE:-} != "$$" ]]; then
    # Inside, the new process keeps this process's id: the mark is ours alone.
    KV_WINE_NAMESPACE=$$ exec unshare --user --map-root-user --mount "$BASH" "${BASH_SOURCE[0]}" "$@"
  fi
  mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
  # 32-bit x86 ELF executables and shared objects; F opens qemu now, so that it
  # serves every later program whatever its root.
  elf_i386='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
  elf_mask='\xff\xff\xff\xff\xff\xfe\xfe\xfc\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  echo ":kv-qemu-i386:M::$elf_i386:$elf_mask:$backports_qemu:F" >/proc/sys/fs/binfmt_misc/register
  start_program=(/usr/lib/wine/wine64)
elif [[ -x $debian_qemu ]]; then
  start_program=("$debian_qemu" /usr/lib/wine/wine)
else
  echo "wine-run: neither $backports_qemu nor $debian_qemu is there: run scripts/setup.sh" >&2
  exit 125
fi

wine64=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64

quiet() { "$@" </dev/null >/dev/null 2>&1; }

# Made once, under a lock so that tests started together wait for one another.
prepare_prefix() {
  [[ -f $WINEPREFIX/kv-prefix-ready ]] && return
  mkdir -p "$cache"
  exec {lock}>"$cache/wine-prefix.lock"
  flock "$lock"
  if [[ ! -f $WINEPREFIX/kv-prefix-ready ]]; then
    rm -rf "$WINEPREFIX"
    quiet "$wine64" wineboot --init
    # A crash ends the program with one line on stderr: the debugger that
    # Wine would start to report it does not exist.
    local key
    for key in 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
      'HKLM\Software\Wow6432Node\Microsoft\Windows NT\CurrentVersion\AeDebug'; do
      quiet "$wine64" reg add "$key" /v Debugger /d kv-no-debugger.exe /f
      quiet "$wine64" reg add "$key" /v Auto /d 1 /f
    done
    quiet "$wineserver" -w
    touch "$WINEPREFIX/kv-prefix-ready"
  fi
  flock -u "$lock"
}

prepare_prefix
if [[ ${1:-} == --prepare ]]; then
  exit 0
fi

# A server that outlives the program for 10 s saves the next run its start.
# When this call starts one (status 0; 2 when one runs already), Wine's
# system processes start with it: they start here, on no output of the
# program's, so that whoever reads that output sees it end with the program.
if "$wineserver" -p10 </dev/null >/dev/null 2>&1; then
  quiet "$wine64" cmd /c exit
fi
exec "${start_program[@]}" "$@"
