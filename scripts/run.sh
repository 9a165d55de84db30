#!/usr/bin/env bash
# Starts velmora.exe under Wine:  scripts/run.sh <win32-build-dir> <prefix>
# The program runs from C:\Velmora in the prefix, so its list file survives
# rebuilds; on a machine without $DISPLAY it gets a private Xvfb.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
win32=${1:?usage: run.sh <win32-build-dir> <prefix>}
prefix=${2:?usage: run.sh <win32-build-dir> <prefix>}

"$here/wine-prefix.sh" "$prefix"
. "$here/wine-env.sh" "$prefix"

state="$prefix/../run-state"
if [ -z "${DISPLAY:-}" ]; then
  DISPLAY=$("$here/xvfb.sh" start "$state")
  export DISPLAY
  trap '"$here/xvfb.sh" stop "$state"' EXIT
  echo "run: no display; velmora.exe runs on the private display $DISPLAY" >&2
fi

home="$WINEPREFIX/drive_c/Velmora"
mkdir -p "$home"
cp "$win32/velmora.exe" "$home/velmora.exe"
echo "run: starting C:\\Velmora\\velmora.exe (list file: $home/Velmora.Lst)" >&2
cd "$home"
status=0
wine "C:\\Velmora\\velmora.exe" || status=$?
exit $status
