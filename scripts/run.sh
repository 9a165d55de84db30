#!/usr/bin/env bash
# Starts velmora.exe under Wine:  scripts/run.sh <build-root> <x86|x64>
# x86 runs <build-root>/win32/velmora.exe under 32-bit Wine, x64 the 64-bit
# program of <build-root>/win64 under 64-bit Wine, each in its own prefix
# (<build-root>/wineprefix-<arch>).  The program runs from C:\Velmora in the
# prefix, so its list file survives rebuilds; on a machine without $DISPLAY
# it gets a private Xvfb.  Ctrl+C ends it as Windows ends a session
# (WM_QUERYENDSESSION), so the list is saved.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
usage="usage: run.sh <build-root> <x86|x64>"
root=$(cd "${1:?$usage}" && pwd)
arch=${2:?$usage}
. "$here/wine-arch.sh"
win32="$root/$(velmora_build_dir "$arch")"
prefix="$root/wineprefix-$arch"
[ -f "$win32/velmora.exe" ] || { echo "run: $win32/velmora.exe is missing (make build-windows)" >&2; exit 1; }
case "$arch" in
  x86) what="the 32-bit velmora.exe under 32-bit Wine" ;;
  x64) what="the 64-bit velmora.exe under 64-bit Wine" ;;
esac
echo "run: $what, because $("$here/archs.sh" --why)" >&2

export VELMORA_ARCH=$arch
"$here/wine-prefix.sh" "$prefix"
. "$here/wine-env.sh" "$prefix"

state="$prefix/../run-state"
xvfb_started=
if [ -z "${DISPLAY:-}" ]; then
  DISPLAY=$("$here/xvfb.sh" start "$state")
  export DISPLAY
  xvfb_started=1
  echo "run: no display; velmora.exe runs on the private display $DISPLAY" >&2
fi

home="$WINEPREFIX/drive_c/Velmora"
mkdir -p "$home"
cp "$win32/velmora.exe" "$home/velmora.exe"
echo "run: starting C:\\Velmora\\velmora.exe (list file: $home/Velmora.Lst); Ctrl+C ends it" >&2
cd "$home"
# In a session of its own, so that Ctrl+C reaches this script only.
setsid "$VELMORA_WINE" "C:\\Velmora\\velmora.exe" &
program=$!

end_program() {
  echo "run: ending velmora.exe" >&2
  if [ -x "$win32/driver.exe" ]; then
    "$VELMORA_WINE" "$win32/driver.exe" send --class TMainForm --timeout 2000 WM_QUERYENDSESSION >/dev/null 2>&1 || true
  fi
  for _ in $(seq 1 100); do kill -0 "$program" 2>/dev/null || return 0; sleep 0.1; done
  kill "$program" 2>/dev/null || true
}
trap 'end_program' INT TERM

status=0
while kill -0 "$program" 2>/dev/null; do
  wait "$program" && status=0 || status=$?
done
if [ -n "$xvfb_started" ]; then "$here/xvfb.sh" stop "$state"; fi
exit "$status"
