#!/usr/bin/env bash
# Builds the editor and runs it under Wine, in a prefix of the project's own (build/wine-run),
# never the user's ~/.wine. With a display the editor opens there and the script returns when
# it is closed. Without one it runs on a virtual display (Xvfb), writes a screenshot of the
# screen to build/screenshot.png, says where it is and closes the editor.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bash scripts/install-deps.sh

build=${VANTREL_BUILD_DIR:-$root/build/mingw}  # the mingw preset's own directory unless told
[ -f "$build/CMakeCache.txt" ] || cmake --preset mingw -B "$build" >/dev/null
cmake --build "$build" -j2 --target vantrel-notepad
exe=$build/editor/vantrel-notepad.exe

given_display=${DISPLAY:-}
source scripts/wine-env.sh
editor=""
cleanup() {
  if [ -n "$editor" ]; then
    kill "$editor" 2>/dev/null || true
    wait "$editor" 2>/dev/null || true
  fi
  wine_down
}
trap cleanup EXIT
wine_up "$root/build/wine-run"

if [ -n "$given_display" ]; then
  status=0
  wine "$exe" || status=$?
  exit "$status"
fi

# The editor's window, once it is mapped on the screen: its X window id, or nothing.
editor_window() {
  local id
  id=$(xwininfo -root -tree 2>/dev/null |
    awk '/"vantrel-notepad.exe" "vantrel-notepad.exe"/ && /Vantrel/ { print $1; exit }')
  [ -n "$id" ] && xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' && echo "$id"
  return 0
}

wine "$exe" &
editor=$!
deadline=$((SECONDS + 60))
until [ -n "$(editor_window)" ]; do
  kill -0 "$editor" 2>/dev/null || { echo "run-editor: the editor ended before its window appeared" >&2; exit 1; }
  [ "$SECONDS" -lt "$deadline" ] || { echo "run-editor: the editor's window did not appear within 60 s" >&2; exit 1; }
  sleep 0.5
done
sleep 1  # let it paint
shot=$root/build/screenshot.png
import -window root "$shot"
echo "run-editor: the editor is running on a virtual display; screenshot: $shot"
