#!/usr/bin/env bash
# The package users download:  scripts/dist.sh <win32-build-dir> <zip>
# velmora.exe, its help page Velmora.html, README.md and LICENSE, side by
# side at the top of the zip (the program needs nothing else).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
win32=${1:?usage: dist.sh <win32-build-dir> <zip>}
zip=${2:?usage: dist.sh <win32-build-dir> <zip>}

files=("$win32/velmora.exe" "$root/docs/Velmora.html" "$root/README.md" "$root/LICENSE")
for f in "${files[@]}"; do
  [ -f "$f" ] || { echo "dist: missing $f" >&2; exit 1; }
done

mkdir -p "$(dirname "$zip")"
zip=$(cd "$(dirname "$zip")" && pwd)/$(basename "$zip")
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp "${files[@]}" "$stage/"
rm -f "$zip"
(cd "$stage" && python3 -m zipfile -c "$zip" velmora.exe Velmora.html README.md LICENSE)
echo "dist: $zip"
