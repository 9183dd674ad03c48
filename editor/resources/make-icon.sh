#!/usr/bin/env bash
# Rebuilds vantrel-notepad.ico beside this script from make_icon.cpp with the host compiler.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
tool=$(mktemp -d)
trap 'rm -rf "$tool"' EXIT
g++ -std=c++20 -O2 -Wall -Wextra -o "$tool/make_icon" "$here/make_icon.cpp"
"$tool/make_icon" "$here/vantrel-notepad.ico"
