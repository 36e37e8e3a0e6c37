#!/usr/bin/env bash
# Cross-builds the Windows program with mingw-w64: build/mingw/src/app/refontis.exe.
# The patches and the resource script are made by native tools, built first (build/release).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/install-windows-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target refontis-patch refontis-make-rc
cmake --preset mingw >/dev/null
cmake --build --preset mingw
ls -l build/mingw/src/app/refontis.exe
