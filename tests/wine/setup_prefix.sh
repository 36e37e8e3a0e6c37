#!/usr/bin/env bash
# A fresh Wine prefix for the tests: Japanese locale (code page 932), captions drawn by Wine
# (no window manager under Xvfb), drives C: and D: only, D: being DRIVE_D_FOLDER.
# Usage: setup_prefix.sh PREFIX DRIVE_D_FOLDER [keep-z]
set -euo pipefail
export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LANG=ja_JP.UTF-8
drive_d=$2
rm -rf "$WINEPREFIX"
mkdir -p "$drive_d"
env -u DISPLAY wineboot -i >/dev/null 2>&1  # created under ja_JP: the UI fonts get a Japanese charset
cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
if [ "${3:-}" != keep-z ]; then
  rm -f "$WINEPREFIX/dosdevices/z:"  # the program must not walk the build machine's whole tree
fi
ln -sfn "$drive_d" "$WINEPREFIX/dosdevices/d:"
wineserver -w
