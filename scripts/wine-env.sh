# Sourced by the run and test scripts: a virtual display and a Wine prefix of the project's own.
#   wine_up DIR   start Xvfb (unless a display is given), make or reuse the prefix DIR/prefix,
#                 start a persistent wineserver and warm it; exports DISPLAY and WINEPREFIX
#   wine_down     stop every Wine process of the prefix and the Xvfb this script started
# The prefix is made once (about 10 s) and reused; it never touches the user's own ~/.wine.

export WINEDEBUG=${WINEDEBUG:--all}
export WINEARCH=win64
# No Mono or Gecko installer: neither can be downloaded here and the editor needs neither.
export WINEDLLOVERRIDES="mscoree=;mshtml="

_vantrel_xvfb_pid=""

_vantrel_start_xvfb() {
  local n
  for n in $(seq 90 130); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    _vantrel_xvfb_pid=$!
    local i
    for i in $(seq 1 100); do
      [ -e "/tmp/.X11-unix/X$n" ] && { export DISPLAY=":$n"; return 0; }
      kill -0 "$_vantrel_xvfb_pid" 2>/dev/null || break
      sleep 0.1
    done
    kill "$_vantrel_xvfb_pid" 2>/dev/null || true
    _vantrel_xvfb_pid=""
  done
  echo "wine-env: could not start Xvfb" >&2
  return 1
}

_vantrel_make_prefix() {
  local prefix=$1 source_dir=$2
  rm -rf "$prefix"
  mkdir -p "$prefix"
  echo "wine-env: creating Wine prefix $prefix" >&2
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
  # regedit wants UTF-16 for the Chinese font names.
  local reg="$prefix/vantrel.reg"
  { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$source_dir/tests/wine/prefix.reg.in"; } >"$reg"
  wine regedit /S "$reg" >/dev/null 2>&1
  wineserver -w
  [ -f "$prefix/system.reg" ] || { echo "wine-env: prefix was not created" >&2; return 1; }
  touch "$prefix/.vantrel-ready"
}

wine_up() {
  local dir=$1
  local source_dir
  source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
  command -v wine >/dev/null || { echo "wine-env: wine is not installed" >&2; return 1; }
  if [ -z "${DISPLAY:-}" ] || [ -n "${VANTREL_OWN_DISPLAY:-}" ]; then
    command -v Xvfb >/dev/null || { echo "wine-env: Xvfb is not installed" >&2; return 1; }
    _vantrel_start_xvfb || return 1
  fi
  mkdir -p "$dir"
  export WINEPREFIX="$dir/prefix"
  [ -f "$WINEPREFIX/.vantrel-ready" ] || _vantrel_make_prefix "$WINEPREFIX" "$source_dir" || return 1
  # A persistent server makes each later Wine start cost milliseconds instead of seconds.
  wineserver -k 2>/dev/null || true
  wineserver -p
  wine cmd /c exit >/dev/null 2>&1 || true
}

wine_down() {
  if [ -n "${WINEPREFIX:-}" ]; then
    wineserver -k 2>/dev/null || true
  fi
  if [ -n "$_vantrel_xvfb_pid" ]; then
    kill "$_vantrel_xvfb_pid" 2>/dev/null || true
    wait "$_vantrel_xvfb_pid" 2>/dev/null || true
    _vantrel_xvfb_pid=""
  fi
}
