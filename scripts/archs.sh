#!/usr/bin/env bash
# Prints the Windows architectures whose programs this host runs under Wine,
# on one line: "x86 x64" where 32-bit Linux code runs, "x64" where it cannot
# (such hosts answer 32-bit Wine with "Exec format error"), nothing where no
# Wine starts at all.  The loaders themselves are asked, not the package list
# or the kernel version.
#   VELMORA_ARCHS=x64        forces the 64-bit-only path of the other kind of
#                            host (VELMORA_ARCHS="x86 x64" asks for both; an
#                            architecture the host cannot run is an error)
#   scripts/archs.sh --why   says instead, in one line, what was found
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-arch.sh"

runs() { "$(velmora_wine_loader "$1")" --version >/dev/null 2>&1; }
# The loader's own complaint, such as "Exec format error" on a host without
# IA-32 emulation.
why_not() { { "$(velmora_wine_loader "$1")" --version 2>&1 >/dev/null || true; } | head -n1 | sed 's/^.*: //'; }

found=()
if [ -n "${VELMORA_ARCHS:-}" ]; then
  # Only the architectures asked for are tried: on the 64-bit-only path no
  # 32-bit Wine process starts, not even to ask its version.
  for arch in ${VELMORA_ARCHS//,/ }; do
    case "$arch" in
      x86|x64) ;;
      *) echo "archs: VELMORA_ARCHS names '$arch'; the architectures are x86 and x64" >&2; exit 2 ;;
    esac
    if ! runs "$arch"; then
      echo "archs: VELMORA_ARCHS asks for $arch, but $(velmora_wine_loader "$arch") does not start on this host ($(why_not "$arch"))" >&2
      exit 2
    fi
    found+=("$arch")
  done
else
  for arch in x86 x64; do
    runs "$arch" && found+=("$arch")
  done
fi

if [ "${1:-}" = "--why" ]; then
  if [ -n "${VELMORA_ARCHS:-}" ]; then
    echo "VELMORA_ARCHS=${VELMORA_ARCHS} chooses ${found[*]}"
  elif [ "${#found[@]}" -eq 2 ]; then
    echo "this host runs 32-bit and 64-bit Wine"
  elif [ "${found[*]}" = x64 ]; then
    echo "32-bit Wine does not start on this host ($(why_not x86)); 64-bit Wine runs"
  elif [ "${found[*]}" = x86 ]; then
    echo "64-bit Wine ($(velmora_wine_loader x64)) does not start here; 32-bit Wine runs"
  else
    echo "no Wine starts here: neither $(velmora_wine_loader x86) nor $(velmora_wine_loader x64) runs (packages wine, wine32:i386, wine64; scripts/setup.sh installs them)"
  fi
  exit 0
fi
echo "${found[*]}"
