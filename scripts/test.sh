#!/usr/bin/env bash
# Installs what is missing, builds and runs every test: the suite plain and under
# AddressSanitizer + UndefinedBehaviorSanitizer, each fuzzer for a while, and the Windows
# program cross-built and tested under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=$(nproc)

for preset in debug asan; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs"
done

echo "== fuzz"
scripts/fuzz.sh "${REFONTIS_FUZZ_SECONDS:-60}"

echo "== windows"
scripts/test-windows.sh
