#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each for a bounded time (default 60 s, or the first
# argument in seconds), starting from the committed seed corpus. New inputs go to a scratch
# corpus under build/, so the committed one stays small. Any finding fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

for target in unseal roundtrip stream_differential; do
  scratch="build/fuzz-corpus/$target"
  mkdir -p "$scratch"
  echo "fuzz: $target for ${seconds}s"
  "build/fuzz/fuzz/${target}_fuzzer" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
    -artifact_prefix="build/fuzz-corpus/$target-" "$scratch" "fuzz/corpus/$target" 2>&1 |
    grep -E '^(stat::number_of_executed_units|stat::peak_rss|INFO: Seed|==[0-9]+==|SUMMARY|.*ERROR)' || true
  # grep hides libFuzzer's progress lines; its exit status decides.
  [ "${PIPESTATUS[0]}" -eq 0 ] || { echo "fuzz: $target found a fault" >&2; exit 1; }
done
echo "fuzz: no findings"
