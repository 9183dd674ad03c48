#!/usr/bin/env bash
# Builds the editor and the end-to-end driver, then runs the end-to-end scenarios under Wine on
# a display and in a prefix of their own:  tests/e2e/run.sh [BUILD_DIR] [ctest args...]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-$PWD/build/e2e-mingw}
shift || true
cmake --preset mingw -B "$build" >/dev/null
cmake --build "$build" -j2 --target vantrel-notepad vantrel-e2e-driver
source scripts/wine-env.sh
trap wine_down EXIT
VANTREL_OWN_DISPLAY=1 wine_up "$build-wine"
ctest --test-dir "$build" -L e2e --output-on-failure "$@"
