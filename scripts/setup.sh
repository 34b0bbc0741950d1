#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what building and testing need on Debian 12; does nothing when all is there.
# Besides Debian packages it changes nothing on the machine: the qemu that runs
# 32-bit Wine and the Wine prefix live in the repository's cache folder .cache/.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cache=${KV_CACHE_DIR:-$root/.cache}

packages=(
  make cmake ninja-build g++ g++-multilib
  googletest libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev
  g++-mingw-w64-i686-posix mingw-w64-i686-dev binutils-mingw-w64-i686
  qemu-user-static python3 python3-markdown-it gnuplot-nox clang clang-format clang-tidy libclang-rt-14-dev
  libeigen3-dev wine wine64 wine32:i386 time
)

missing=()
# One query when all is there; one a package only to name what is missing.
if ! dpkg -s "${packages[@]}" >/dev/null 2>&1; then
  for package in "${packages[@]}"; do
    dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
  done
fi
if ((${#missing[@]} > 0)); then
  if ((EUID != 0)); then
    echo "setup: missing packages (install them as root): ${missing[*]}" >&2
    exit 1
  fi
  echo "setup: installing ${missing[*]}"
  # Wine's 32-bit half comes from the i386 architecture.
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# Debian 12's qemu-i386 (7.2) takes about a minute to start each Wine process;
# the backports suite's qemu-user (8.1 and later) does not. Its static
# qemu-i386 is fetched with apt-get through a sources list and package lists
# of the cache's own, and unpacked there; nothing is installed. The archive is
# the one this machine's apt already uses (its first entry for this release),
# as apt itself reads the sources, so a mirror or proxy set up there serves it.
# Without it, wine-run.sh runs the Windows programs through Debian's own
# qemu-i386-static, in a way that needs no newer qemu.
codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
backports=$codename-backports

# The address of the first archive entry for this release, and where apt read
# it, from apt's own reading of the sources (both formats, options, disabled
# entries); nothing when there is none.
debian_archive() {
  apt-get indextargets --no-release-info --format '$(TARGET_OF) $(REPO_URI) $(RELEASE) $(SOURCESENTRY)' |
    awk -v codename="$codename" '$1 == "deb" && $3 == codename { print $2, $4; exit }'
}

# Fetches and unpacks qemu-i386 from the backports suite at the archive;
# apt's messages stay in $cache/apt/log when that fails.
fetch_backports_qemu() {
  local archive=$1 apt_dir=$cache/apt
  rm -rf "$apt_dir"
  mkdir -p "$apt_dir/sources" "$apt_dir/lists/partial" "$apt_dir/archives/partial"
  printf '%s\n' 'Types: deb' "URIs: $archive" "Suites: $backports" 'Components: main' \
    'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg' >"$apt_dir/sources/backports.sources"
  local apt_options=(-o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$apt_dir/sources"
    -o Dir::State::Lists="$apt_dir/lists" -o Dir::Cache="$apt_dir" -o Debug::NoLocking=1
    -o APT::Sandbox::User=root -o Acquire::Retries=0)
  if ! {
    apt-get "${apt_options[@]}" update -qq &&
      (cd "$apt_dir/archives" && apt-get "${apt_options[@]}" download -qq qemu-user) &&
      mkdir -p "$cache/qemu" &&
      dpkg-deb --fsys-tarfile "$apt_dir"/archives/qemu-user_*.deb | tar -x -C "$cache/qemu" ./usr/bin/qemu-i386
  } >"$apt_dir/log" 2>&1; then
    return 1
  fi
  rm -rf "$apt_dir"
}

fallback="the Windows programs run through Debian's own qemu-i386-static instead"
if [[ ! -x $cache/qemu/usr/bin/qemu-i386 ]]; then
  archive='' entry=''
  read -r archive entry < <(debian_archive) || true
  if [[ -z $archive ]]; then
    echo "setup: apt's sources name no archive for $codename, so $backports cannot be fetched: $fallback"
  else
    echo "setup: fetching qemu-i386 from $backports at $archive (apt's $entry) into $cache/qemu"
    fetch_backports_qemu "$archive" ||
      echo "setup: $backports is not reachable at $archive (apt's messages: $cache/apt/log): $fallback"
  fi
fi

# The Wine prefix, made once.
bash "$root/scripts/wine-run.sh" --prepare
