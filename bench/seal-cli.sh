#!/usr/bin/env bash
# Whole-process speed of `vantrel-seal seal` on a 256 MiB file against
# `openssl enc -des-ecb -nopad` (legacy provider, raw key) on the same file in the same run.
# Each command runs RUNS times, alternating; the best wall time of each counts. Prints the
# ratio; the target is at least 2. `-o` makes the tool flush its file to disk before renaming it
# into place, which openssl does not do; the ratio of a plain `> file` redirect (no flush) is
# printed beside it to show what that costs.
# Usage: bench/seal-cli.sh [path/to/vantrel-seal]   (env: RUNS=3, BENCH_DIR=a scratch folder)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tool=${1:-$root/build/native/tools/vantrel-seal}
runs=${RUNS:-3}
[ -x "$tool" ] || { echo "no tool at $tool (build the native preset first)" >&2; exit 2; }
command -v openssl >/dev/null || { echo "openssl is not installed" >&2; exit 2; }

work=$(mktemp -d "${BENCH_DIR:-${TMPDIR:-/tmp}}/seal-cli-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
head -c $((256 << 20)) /dev/urandom >"$work/input"
printf 'bench password\n' >"$work/password"

ours=(
  "$tool" seal --password-file "$work/password" -f -o "$work/ours.sealed" "$work/input")
redirected() { "$tool" seal --password-file "$work/password" "$work/input" >"$work/plain.sealed"; }
theirs=(
  openssl enc -des-ecb -nopad -provider legacy -provider default -K 0123456789abcdef
  -in "$work/input" -out "$work/openssl.sealed")

seconds() {  # runs the command, prints its wall time in seconds
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null
  end=$(date +%s%N)
  awk -v ns=$((end - start)) 'BEGIN { printf "%.3f\n", ns / 1e9 }'
}

lesser() { awk -v a="$1" -v b="$2" 'BEGIN { print (b == "" || a < b + 0) ? a : b }'; }

best_ours=""
best_theirs=""
best_redirected=""
for _ in $(seq "$runs"); do
  t=$(seconds "${ours[@]}")
  best_ours=$(lesser "$t" "$best_ours")
  t=$(seconds redirected)
  best_redirected=$(lesser "$t" "$best_redirected")
  t=$(seconds "${theirs[@]}")
  best_theirs=$(lesser "$t" "$best_theirs")
done
[ "$(stat -c %s "$work/ours.sealed")" -eq $(((256 << 20) + 8)) ] || {
  echo "vantrel-seal wrote the wrong size" >&2
  exit 1
}

ratio=$(awk -v a="$best_theirs" -v b="$best_ours" 'BEGIN { printf "%.2f", a / b }')
echo "input: 256 MiB, best of $runs, $(nproc) cores"
echo "vantrel-seal seal -o FILE:         ${best_ours} s"
echo "vantrel-seal seal > FILE:          ${best_redirected} s (ratio $(
  awk -v a="$best_theirs" -v b="$best_redirected" 'BEGIN { printf "%.2f", a / b }')x, no flush)"
echo "openssl enc -des-ecb -nopad:       ${best_theirs} s"
if awk -v r="$ratio" 'BEGIN { exit !(r >= 2) }'; then
  echo "ratio: ${ratio}x (target 2x: met)"
else
  echo "ratio: ${ratio}x (target 2x: NOT met)"
fi
