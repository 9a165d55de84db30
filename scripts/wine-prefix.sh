#!/usr/bin/env bash
# Creates the Wine prefix of a build tree once and leaves it ready for every
# later run:  scripts/wine-prefix.sh <prefix>
# A 32-bit prefix: the program is 32-bit, and such a prefix starts in about
# two thirds of the time of a 64-bit one and takes half the disk.
# Safe to call from several processes at once (one creates, the others wait).
set -euo pipefail

prefix=${1:?usage: wine-prefix.sh <prefix>}
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$(dirname "$prefix")"
prefix=$(cd "$(dirname "$prefix")" && pwd)/$(basename "$prefix")
ready="$prefix/.velmora-ready"
[ -f "$ready" ] && exit 0

exec 9>"$prefix.lock"
flock 9
[ -f "$ready" ] && exit 0

. "$here/wine-env.sh" "$prefix"
if [ -e "$prefix" ]; then
  # Left half-made by an interrupted run: start again.
  wineserver_kill
  rm -rf "$prefix"
fi

echo "wine-prefix: creating $prefix" >&2
# No display: the prefix needs none, and a dialog could wait for ever.
env -u DISPLAY wine wineboot -i >/dev/null 2>&1 || true
wineserver_wait

# Japanese faces of the forms, shown with IPA Gothic so that texts are
# legible in screenshots.
reg=$(mktemp)
trap 'rm -f "$reg"' EXIT
{
  printf 'Windows Registry Editor Version 5.00\r\n\r\n'
  printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]\r\n'
  for face in "ＭＳ Ｐゴシック" "MS PGothic" "MS UI Gothic" "ＭＳ ＵＩ ゴシック"; do
    printf '"%s"="IPAPGothic"\r\n' "$face"
  done
  for face in "ＭＳ ゴシック" "MS Gothic"; do
    printf '"%s"="IPAGothic"\r\n' "$face"
  done
  printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
  for face in "ＭＳ Ｐゴシック" "MS PGothic" "MS UI Gothic" "ＭＳ ＵＩ ゴシック"; do
    printf '"%s"="IPAPGothic"\r\n' "$face"
  done
  for face in "ＭＳ ゴシック" "MS Gothic"; do
    printf '"%s"="IPAGothic"\r\n' "$face"
  done
} | iconv -f UTF-8 -t UTF-16 >"$reg"
env -u DISPLAY wine regedit /S "$(winepath -w "$reg" 2>/dev/null || echo "Z:${reg//\//\\}")" >/dev/null 2>&1
wineserver_wait
touch "$ready"
echo "wine-prefix: ready" >&2
