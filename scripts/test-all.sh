#!/usr/bin/env bash
# Runs every test: the native suite, the same under AddressSanitizer and
# UndefinedBehaviorSanitizer, a bounded fuzzing run, then the Windows build under Wine on a
# virtual display (unit, Win32 and end-to-end tests). A missing Wine or Xvfb fails the run;
# nothing is skipped. VANTREL_FUZZ_SECONDS sets the time per fuzz target (default 30).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

cmake --workflow --preset native
cmake --workflow --preset native-asan
bash scripts/fuzz.sh "${VANTREL_FUZZ_SECONDS:-30}"

source scripts/wine-env.sh
trap wine_down EXIT
VANTREL_OWN_DISPLAY=1 wine_up "$PWD/build/wine"
cmake --workflow --preset mingw
