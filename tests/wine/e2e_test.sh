#!/usr/bin/env bash
# refontis.exe end to end under Wine in Xvfb: a fresh prefix whose drives are C: and a D: that
# holds the old demo fonts, code page 932, driven with xdotool (keys) and wintext.exe (control
# texts): start page, search, list, 実行, progress, success dialog, キャンセル. Then the fonts
# must be the revised demo fonts, no temporary file may be left, the native system folder's
# fntcache.dat must be gone (the redirected one kept), a second start must have ended at once.
# Then the environment check under each Windows version Wine reports with our manifest.
# Usage: e2e_test.sh MINGW_BUILD_DIR DATA_DIR ARTIFACT_DIR
set -euo pipefail
build=$(realpath "$1") data=$(realpath "$2") artifacts=$3
mkdir -p "$artifacts"
artifacts=$(realpath "$artifacts")
work=$(mktemp -d /tmp/refontis-wine.XXXXXX)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LANG=ja_JP.UTF-8
display=:$((90 + RANDOM % 9))
xvfb=
cleanup() {
  wineserver -k 2>/dev/null || true
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
  [ -n "${KEEP_WINE_WORK:-}" ] || rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  import -display "$display" -window root "$artifacts/failure.png" 2>/dev/null || true
  exit 1
}

"$(dirname "$0")/setup_prefix.sh" "$WINEPREFIX" "$work/drive_d"
mkdir -p "$work/drive_d/fonts"
for font in "$data"/fonts/old/*.old.otf; do
  cp "$font" "$work/drive_d/fonts/$(basename "$font" .old.otf).otf"
done
app=$WINEPREFIX/drive_c/refontis
mkdir -p "$app"
cp "$build/src/app/refontis.exe" "$build/tests/wine/wintext.exe" "$app/"
echo native >"$WINEPREFIX/drive_c/windows/system32/fntcache.dat"
echo redirected >"$WINEPREFIX/drive_c/windows/syswow64/fntcache.dat"

Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display
wineserver -p
(cd "$app" && wine wineboot </dev/null >/dev/null 2>&1) || true

wt() { (cd "$app" && wine wintext.exe "$@" 2>/dev/null); }
shot() { import -window root "$artifacts/$1.png"; }
start_app() { (cd "$app" && wine refontis.exe >"$work/$1.out" 2>&1; echo $? >"$work/$1.exit") & }
# Waits until the visible window titled TITLE has control ID.
wait_control() {
  local title=$1 id=$2 seconds=${3:-60}
  for ((i = 0; i < seconds * 4; i++)); do
    wt text "$title" "$id" >/dev/null && return 0
    sleep 0.25
  done
  fail "no window '$title' with control $id"
}
press() {
  local window
  window=$(xdotool search --onlyvisible --name "$1" | head -1)
  [ -n "$window" ] || fail "no window '$1' to press $2 in"
  xdotool windowfocus --sync "$window" key "$2"
}
wait_exit() {
  for ((i = 0; i < ${2:-60} * 4; i++)); do
    [ -s "$work/$1.exit" ] && return 0
    sleep 0.25
  done
  fail "$1 did not end"
}
set_version() { wine reg add 'HKCU\Software\Wine' /v Version /d "$1" /f >/dev/null 2>&1; }

# --- The whole run, as Windows 7 (Wine's default).
start_app main
wait_control QUILLANE 1023
shot 1-start-page
press QUILLANE Return                                   # 次へ
wait_control QUILLANE 1005 180
[ "$(wt count QUILLANE 1005 | tr -d '\r')" = 22 ] || fail "the list does not hold the 22 fonts"
shot 2-font-list

start_app second                                        # a second copy while the first runs
wait_exit second 20
[ "$(wt windows | grep -c QUILLANE)" = 1 ] || fail "a second main window appeared"

press QUILLANE Return                                   # 実行
for ((k = 0; k < 40; k++)); do
  if wt text フォントを改訂中 1012 | grep -q 改訂; then shot 3-progress; break; fi
  sleep 0.2
done
wait_control 確 1013 300
wt text 確 1013 | grep -qF '改訂が正常に終了しました。' || fail "no success message: $(wt text 確 1013)"
shot 4-success
press 確 Escape                                         # キャンセル: no restart
wait_exit main 30
[ "$(cat "$work/main.exit")" = 0 ] || fail "refontis.exe ended with $(cat "$work/main.exit")"

for font in "$data"/fonts/new/*.new.otf; do
  stem=$(basename "$font" .new.otf)
  cmp -s "$font" "$work/drive_d/fonts/$stem.otf" || fail "$stem.otf was not revised"
done
leftover=$(find "$WINEPREFIX"/drive_c/users/*/AppData/Local/Temp "$WINEPREFIX/drive_c/windows/temp" \
  -type f \( -name '*.ini' -o -regex '.*/[0-9]+' \) 2>/dev/null || true)
[ -z "$leftover" ] || fail "temporary files were left: $leftover"
[ ! -e "$WINEPREFIX/drive_c/windows/system32/fntcache.dat" ] || fail "the native fntcache.dat is still there"
[ -e "$WINEPREFIX/drive_c/windows/syswow64/fntcache.dat" ] || fail "the redirected fntcache.dat was deleted"
echo "ok   whole run: 22 fonts revised, no temporary file left, native fntcache.dat deleted"

# --- The environment check under the versions Wine reports with our manifest.
for version in win81 win10; do                          # 6.3 -> 10, 10.0 -> 11: accepted
  set_version "$version"
  start_app "$version"
  wait_control QUILLANE 1023
  shot "5-start-page-$version"
  press QUILLANE Escape                                 # 中　止
  wait_control 確 1017
  press 確 Return                                       # はい
  wait_exit "$version"
  echo "ok   $version: accepted (start page shown)"
done
set_version win8                                        # 6.2: refused with message 110
start_app win8
wait_control 確 1017
wt text 確 1017 | grep -qF 'このOSはサポートしていません。' || fail "win8: $(wt text 確 1017)"
shot 6-win8-refused
press 確 Return
wait_exit win8
echo "ok   win8: message 110"
set_version vista                                       # 6.0: code 7, ends without a word
start_app vista
for ((i = 0; i < 60; i++)); do
  wt windows | grep -qE 'QUILLANE|確' && fail "vista: a dialog was shown"
  [ -s "$work/vista.exit" ] && break
  sleep 0.25
done
wait_exit vista 5
echo "ok   vista: ended silently"
set_version win7
echo "PASS: refontis.exe under Wine"
