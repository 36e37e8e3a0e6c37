#!/usr/bin/env bash
# Installs what is missing, builds the release configuration and runs the program on its demo.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release
fonts=build/release/real-fonts
/usr/bin/python3 tests/fixtures/make_real_fonts.py "$fonts"
build/release/tools/refontis-patch inspect "$fonts/noto-sans-old.otf"
