#!/usr/bin/env bash
# Installs, with apt-get and without prompts, whatever of the build and test tools is missing.
set -euo pipefail
"$(dirname "$0")/apt-install-missing.sh" \
  cmake ninja-build g++ clang libclang-rt-14-dev \
  libgtest-dev libgmock-dev libbenchmark-dev \
  python3 python3-fonttools fonts-noto-cjk \
  libncurses-dev tmux xdelta3 bsdiff
