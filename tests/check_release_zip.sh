#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks the release zip as an artist receives it: its listing in a fixed
# order, dated from the commit; its texts in Windows line ends, the node
# reference as plain text; the notices covering every library that the
# shipped files' links took in; the plug-in file and scenehost.exe as the
# Windows file checks see them and as the build made them; and, given a
# Windows runner, the zipped scenehost.exe listing the zipped module's servers
# and checking it. Without a runner the programs are not started.
# Usage: VERSION=A.B.C.D check_release_zip.sh ZIP SOURCE_DIR SHIPPED_FILE... [-- RUNNER [ARG]...]
#        (each SHIPPED_FILE a built file with its linker map beside it, FILE.map;
#         CMAKE, OBJDUMP and PYTHON3 may name the tools)
set -uo pipefail

usage="usage: check_release_zip.sh ZIP SOURCE_DIR SHIPPED_FILE... [-- RUNNER [ARG]...]"
zip=${1:?$usage}
source_dir=${2:?$usage}
shift 2
shipped=()
while (($# > 0)) && [[ $1 != -- ]]; do shipped+=("$1"); shift; done
runner=("${@:2}")
cmake=${CMAKE:-cmake}
python3=${PYTHON3:-python3}
here=$(cd "$(dirname "$0")" && pwd)
zip=$(cd "$(dirname "$zip")" && pwd)/$(basename "$zip")

source "$here/pe_checks.sh"
if [[ ! -f "$zip" ]]; then
  echo "FAIL: $zip does not exist"
  echo "0 passed, 1 failed"
  exit 1
fi
yes_if() { "$@" && echo yes || echo no; }

top=$(basename "$zip" .zip)
expected=$(
  printf '%s\n' INSTALL.txt NODES.txt LICENSE.txt THIRD-PARTY.txt KV_Info_Node.p scenehost.exe \
    docs/child_under_pivot.svg
  for scene in "$source_dir"/scenehost/examples/*.json; do echo "examples/$(basename "$scene")"; done
)
listing=$("$cmake" -E tar tf "$zip")
check "zip listing" "$(sed "s|^|$top/|" <<<"$expected" | LC_ALL=C sort)" "$(LC_ALL=C sort <<<"$listing")"
check "zip entries in the order of their names" "$(LC_ALL=C sort <<<"$listing")" "$listing"
# Zip dates count in two-second steps.
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$source_dir" log -1 --format=%ct)}
check "every entry dated from the commit" "$(date -u -d "@$((epoch / 2 * 2))" '+%Y-%m-%d %H:%M:%S')" \
  "$("$python3" -c 'import sys, zipfile
print("\n".join(sorted({"%04d-%02d-%02d %02d:%02d:%02d" % entry.date_time
                        for entry in zipfile.ZipFile(sys.argv[1]).infolist()})))' "$zip")"

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
(cd "$unpacked" && "$cmake" -E tar xf "$zip")
folder=$unpacked/$top

for scene in "$source_dir"/scenehost/examples/*.json; do
  check "examples/$(basename "$scene") as in the sources" "yes" \
    "$(yes_if cmp -s "$scene" "$folder/examples/$(basename "$scene")")"
done
for text in "$folder"/*.txt; do
  check "$(basename "$text") has Windows line ends" "" "$(grep -n $'[^\r]$' "$text" | head -n 3)"
done
check "INSTALL.txt names the version" "yes" "$(yes_if grep -qF "$VERSION" "$folder/INSTALL.txt")"
check "LICENSE.txt is the project's licence" "yes" \
  "$(yes_if cmp -s <(tr -d '\r' <"$folder/LICENSE.txt") "$source_dir/LICENSE")"

# The node reference as plain text: no Markdown, nothing of the repository.
nodes=$folder/NODES.txt
check "NODES.txt is the node reference" "Node reference" "$(head -n 1 "$nodes" | tr -d '\r' | sed $'s/^\uFEFF//')"
check "NODES.txt has no Markdown marks" "" \
  "$(grep -nE '\*\*|__|`|!\[|\]\(|^#+ |<!--|\|' "$nodes" | head -n 3)"
folders=$(find "$source_dir" -mindepth 1 -maxdepth 1 -type d ! -name '.*' -printf '%f\n' | paste -sd'|')
targets=$(sed -n 's/^\.PHONY: *//p' "$source_dir/Makefile" | tr ' ' '|')
check "NODES.txt names no repository path, source file or developer command" "" \
  "$(grep -nE "(^|[^[:alnum:]_\\])($folders)/|\.(cpp|h|cmake|sh|py|md)\b|\bmake ($targets)\b|\bc(make|test) " \
      "$nodes" | head -n 3)"
for picture in $(grep -oE 'docs\\[^ ):]+' "$nodes" | tr '\\' '/'); do
  check "NODES.txt's picture $picture is in the zip" "yes" "$(yes_if test -f "$folder/$picture")"
done

# Every file that a shipped file's link took from outside the build, as its
# linker map lists it, is named among the notices (before their full terms).
notices=$(tr -d '\r' <"$folder/THIRD-PARTY.txt" | sed '/: its terms$/,$d')
for file in "${shipped[@]}"; do
  taken=$(awk -v source="$source_dir/" '
    /^Archive member included/ { members = 1; next }
    /^(Discarded input sections|Memory Configuration|Allocating common)/ { members = 0 }
    members && /^\// { sub(/\(.*/, ""); print }
    /^LOAD \// && $2 !~ /\.a$/ && index($2, source) != 1 { print $2 }' "$file.map" |
    xargs -r -n 1 basename | LC_ALL=C sort -u)
  check "$(basename "$file") took in files from outside the build" "yes" "$(yes_if test -n "$taken")"
  for name in $taken; do
    check "THIRD-PARTY.txt names $name, taken into $(basename "$file")" "yes" \
      "$(yes_if grep -qF "$name" <<<"$notices")"
  done
  check "zipped $(basename "$file") is the build's" "yes" "$(yes_if cmp -s "$file" "$folder/$(basename "$file")")"
done

bash "$here/check_plugin_file.sh" "$folder/KV_Info_Node.p" | sed 's/^/  KV_Info_Node.p: /'
check "zipped KV_Info_Node.p passes the plug-in file checks" "0" "${PIPESTATUS[0]}"
bash "$here/check_windows_program.sh" "$folder/scenehost.exe" | sed 's/^/  scenehost.exe: /'
check "zipped scenehost.exe passes the program checks" "0" "${PIPESTATUS[0]}"

if ((${#runner[@]} == 0)); then
  echo "NOT RUN: the zipped scenehost.exe (no Windows runner configured)"
else
  servers=$(cd "$folder" && "${runner[@]}" ./scenehost.exe servers 2>&1)
  status=$?
  sed 's/^/  servers: /' <<<"$servers"
  check "scenehost.exe servers succeeds" "0" "$status"
  check "scenehost.exe servers finds the module beside it and lists its servers" "yes" \
    "$(yes_if grep -Eq 'KV_Info_Node.p: [1-9][0-9]* servers' <<<"$servers")"
  report=$(cd "$folder" && "${runner[@]}" ./scenehost.exe check KV_Info_Node.p 2>&1)
  status=$?
  sed 's/^/  check: /' <<<"$report"
  check "scenehost.exe check KV_Info_Node.p succeeds" "0" "$status"
  check "scenehost.exe check reports no failure" "yes" \
    "$(yes_if grep -Eq '^[1-9][0-9]* passed, 0 failed$' <<<"$(tail -n 1 <<<"$report" | tr -d '\r')")"
fi

pe_summary
