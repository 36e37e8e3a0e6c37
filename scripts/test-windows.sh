#!/usr/bin/env bash
# Cross-builds the Windows program and its unit tests, runs the unit tests under Wine and the
# whole program under Wine in Xvfb. Needs the native tools of build/debug (scripts/test.sh
# builds them first).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-windows-deps.sh
host_tools=${REFONTIS_HOST_TOOLS:-$PWD/build/debug/tools}
cmake --preset mingw -DREFONTIS_HOST_TOOLS="$host_tools" >/dev/null
cmake --build --preset mingw -j "$(nproc)"

echo "== unit tests under Wine"
export WINEPREFIX=$PWD/build/mingw/wine-unit WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=ja_JP.UTF-8
[ -d "$WINEPREFIX/drive_c" ] || tests/wine/setup_prefix.sh "$WINEPREFIX" "$PWD/build/mingw/wine-unit-d" keep-z
wineserver -p
wine wineboot </dev/null >/dev/null 2>&1 || true   # Wine's services must not hold ctest's pipe
status=0
ctest --preset mingw -j 2 || status=1
wineserver -k || true
[ $status = 0 ] || exit 1

echo "== refontis.exe under Wine"
tests/wine/e2e_test.sh build/mingw data build/mingw/wine-artifacts
