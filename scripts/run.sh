#!/usr/bin/env bash
# Installs what is missing, builds the updater, installs the 22 old demo fonts where its search
# finds them (/usr/local/share/fonts/refontis-demo/) and starts it in this terminal.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target refontis
demo=/usr/local/share/fonts/refontis-demo
mkdir -p "$demo"
for font in data/fonts/old/*.old.otf; do
  stem=$(basename "$font" .old.otf)
  cp "$font" "$demo/$stem.otf"
done
echo "Installed the 22 old demo fonts in $demo; starting the updater."
exec build/release/src/app/refontis
