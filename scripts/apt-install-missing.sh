#!/usr/bin/env bash
# Installs with apt-get, without prompts, those of the named Debian packages that are missing.
# Usage: apt-install-missing.sh [--i386] PACKAGE...   (--i386: packages of that architecture too)
set -euo pipefail
i386=
if [ "${1:-}" = --i386 ]; then i386=1; shift; fi
missing=()
for p in "$@"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
((${#missing[@]})) || exit 0
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
[ -z "$i386" ] || dpkg --add-architecture i386
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
