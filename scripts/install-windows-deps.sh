#!/usr/bin/env bash
# Installs, without prompts, what the Windows build and its tests under Wine need.
set -euo pipefail
"$(dirname "$0")/apt-install-missing.sh" --i386 \
  g++-mingw-w64-i686 googletest wine wine32:i386 wine64 xvfb xdotool imagemagick locales \
  fonts-noto-cjk
# Wine reports code page 932 only under a generated Japanese locale.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
  sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >>/etc/locale.gen
  locale-gen >/dev/null
fi
