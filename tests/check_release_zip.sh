#!/usr/bin/env bash
# Checks the release zip as an artist receives it: its listing, the plug-in
# file and scenehost.exe in it as the Windows file checks see them, and, given
# a Windows runner, the zipped scenehost.exe listing the zipped module's
# servers and checking it. Without a runner the programs are not started.
# Usage: VERSION=A.B.C.D check_release_zip.sh ZIP EXAMPLES_DIR [RUNNER [ARG]...]
#        (CMAKE, OBJDUMP and PYTHON3 may name the tools)
set -uo pipefail

zip=${1:?usage: check_release_zip.sh ZIP EXAMPLES_DIR [RUNNER [ARG]...]}
examples=${2:?usage: check_release_zip.sh ZIP EXAMPLES_DIR [RUNNER [ARG]...]}
runner=("${@:3}")
cmake=${CMAKE:-cmake}
here=$(cd "$(dirname "$0")" && pwd)
zip=$(cd "$(dirname "$zip")" && pwd)/$(basename "$zip")

source "$here/pe_checks.sh"
if [[ ! -f "$zip" ]]; then
  echo "FAIL: $zip does not exist"
  echo "0 passed, 1 failed"
  exit 1
fi

top=$(basename "$zip" .zip)
expected=$(
  printf '%s\n' INSTALL.txt NODES.txt KV_Info_Node.p scenehost.exe docs/child_under_pivot.svg
  for scene in "$examples"/*.json; do echo "examples/$(basename "$scene")"; done
)
check "zip listing" "$(sed "s|^|$top/|" <<<"$expected" | LC_ALL=C sort)" \
  "$("$cmake" -E tar tf "$zip" | grep -v '/$' | LC_ALL=C sort)"

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
(cd "$unpacked" && "$cmake" -E tar xf "$zip")
folder=$unpacked/$top

for scene in "$examples"/*.json; do
  check "examples/$(basename "$scene") as in the sources" "yes" \
    "$(cmp -s "$scene" "$folder/examples/$(basename "$scene")" && echo yes || echo no)"
done
check "NODES.txt is the node reference" "## Node reference" "$(head -n 1 "$folder/NODES.txt" | tr -d '\r')"
check "INSTALL.txt names the version" "yes" "$(grep -qF "$VERSION" "$folder/INSTALL.txt" && echo yes || echo no)"

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
    "$(grep -Eq 'KV_Info_Node.p: [1-9][0-9]* servers' <<<"$servers" && echo yes || echo no)"
  report=$(cd "$folder" && "${runner[@]}" ./scenehost.exe check KV_Info_Node.p 2>&1)
  status=$?
  sed 's/^/  check: /' <<<"$report"
  check "scenehost.exe check KV_Info_Node.p succeeds" "0" "$status"
  check "scenehost.exe check reports no failure" "yes" \
    "$(tail -n 1 <<<"$report" | tr -d '\r' | grep -Eq '^[1-9][0-9]* passed, 0 failed$' && echo yes || echo no)"
fi

pe_summary
