#!/usr/bin/env bash
# Runs the full-disk scenario on a 1 MiB file system of its own:
#   with_small_disk.sh EMULATOR DRIVER [driver args...]
# The driver gets the folder as --small-disk=DIR. Mounting needs root; where it is not allowed
# the script says so and exits with 77, which CTest reports as skipped.
set -u
readonly skipped=77
if [ "$(id -u)" -ne 0 ]; then
  echo "small disk: not root, so no tmpfs can be mounted; the full-disk scenario is skipped"
  exit $skipped
fi
dir=$(mktemp -d "${TMPDIR:-/tmp}/vantrel-small-disk.XXXXXX") || exit 1
unmount() {
  if mountpoint -q "$dir"; then
    umount "$dir" 2>/dev/null || umount -l "$dir"
  fi
  rmdir "$dir"
}
trap unmount EXIT
trap 'exit 143' TERM INT
if ! error=$(mount -t tmpfs -o size=1m,mode=0777 vantrel-small-disk "$dir" 2>&1); then
  echo "small disk: cannot mount a tmpfs on $dir (${error}); the full-disk scenario is skipped"
  exit $skipped
fi
emulator=$1
shift
"$emulator" "$@" --small-disk="$dir"
