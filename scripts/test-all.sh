#!/usr/bin/env bash
# Runs every test: the native suite, then the Windows build under Wine on a virtual display
# (unit, Win32 and end-to-end tests). A missing Wine or Xvfb fails the run; nothing is skipped.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

cmake --workflow --preset native

source scripts/wine-env.sh
trap wine_down EXIT
VANTREL_OWN_DISPLAY=1 wine_up "$PWD/build/wine"
cmake --workflow --preset mingw
