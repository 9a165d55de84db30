#!/usr/bin/env bash
# Creates the Wine prefix of a build tree once and leaves it ready for every
# later run:  scripts/wine-prefix.sh <prefix>
# The prefix is of the kind VELMORA_ARCH asks for (scripts/wine-env.sh): a
# 32-bit one for the 32-bit program (it starts in about two thirds of the
# time of a 64-bit one and takes half the disk), a 64-bit one otherwise.
# Safe to call from several processes at once (one creates, the others wait).
set -euo pipefail

prefix=${1:?usage: wine-prefix.sh <prefix>}
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$(dirname "$prefix")"
prefix=$(cd "$(dirname "$prefix")" && pwd)/$(basename "$prefix")
ready="$prefix/.velmora-ready"
# Settings version: raise it when the registry settings below change, and
# existing prefixes take them over without being made anew.
settings=3
[ "$(cat "$ready" 2>/dev/null)" = "$settings" ] && exit 0

exec 9>"$prefix.lock"
flock 9
[ "$(cat "$ready" 2>/dev/null)" = "$settings" ] && exit 0

. "$here/wine-env.sh" "$prefix"
if [ -e "$prefix" ] && [ ! -f "$ready" ]; then
  # Left half-made by an interrupted run: start again.
  wineserver_kill
  rm -rf "$prefix"
fi

if [ ! -e "$prefix" ]; then
  echo "wine-prefix: creating $prefix" >&2
  # No display: the prefix needs none, and a dialog could wait for ever.
  env -u DISPLAY "$VELMORA_WINE" wineboot -i >/dev/null 2>&1 || true
  wineserver_wait
fi

# The proportional and the fixed-pitch Japanese faces, by their Japanese and
# English names, as registry values naming the IPA face that stands in.
font_faces() {
  for face in "ＭＳ Ｐゴシック" "MS PGothic" "MS UI Gothic" "ＭＳ ＵＩ ゴシック"; do
    printf '"%s"="IPAPGothic"\r\n' "$face"
  done
  for face in "ＭＳ ゴシック" "MS Gothic"; do
    printf '"%s"="IPAGothic"\r\n' "$face"
  done
}

reg=$(mktemp)
trap 'rm -f "$reg"' EXIT
{
  printf 'Windows Registry Editor Version 5.00\r\n\r\n'
  # A crashing program ends with its backtrace on stderr instead of waiting
  # in the debugger's dialog, so a test fails at once and says where.
  printf '[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\r\n"ShowCrashDialog"=dword:00000000\r\n\r\n'
  # No window manager runs on the test display: Wine then waits up to 2 s
  # for one to withdraw every managed window it hides, and the program does
  # not answer meanwhile.  Unmanaged windows have their frames drawn by Wine.
  printf '[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="N"\r\n\r\n'
  # Japanese faces of the forms, shown with IPA Gothic so that texts are
  # legible in screenshots.
  printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]\r\n'
  font_faces
  printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
  font_faces
} | iconv -f UTF-8 -t UTF-16 >"$reg"
env -u DISPLAY "$VELMORA_WINE" regedit /S "Z:${reg//\//\\}" >/dev/null 2>&1
wineserver_wait
echo "$settings" >"$ready"
echo "wine-prefix: ready" >&2
