# Sourced: sets up the environment for running Wine in one prefix.
#   . scripts/wine-env.sh <prefix>
# VELMORA_ARCH (x86, the default, or x64) says which Wine runs there; the
# loader is $VELMORA_WINE.  Defines wineserver_wait and wineserver_kill,
# which act on that prefix only.
WINEPREFIX=${1:?usage: . wine-env.sh <prefix>}
# Wine takes absolute prefixes only.
case "$WINEPREFIX" in /*) ;; *) WINEPREFIX="$PWD/$WINEPREFIX" ;; esac
export WINEPREFIX
. "$(dirname "${BASH_SOURCE[0]}")/wine-arch.sh"
VELMORA_ARCH=${VELMORA_ARCH:-x86}
WINEARCH=$(velmora_winearch "$VELMORA_ARCH")
VELMORA_WINE=$(velmora_wine_loader "$VELMORA_ARCH")
export VELMORA_ARCH WINEARCH VELMORA_WINE
# The loader Wine uses for the processes a program starts.
export WINELOADER=$VELMORA_WINE
export WINEDEBUG=-all
# Never offer to download Mono or Gecko: nothing here needs them, and the
# offer is a dialog that would wait for an answer.
export WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=C.UTF-8

if command -v wineserver >/dev/null 2>&1; then
  VELMORA_WINESERVER=$(command -v wineserver)
else
  VELMORA_WINESERVER=
  for candidate in /usr/lib/wine/wineserver /usr/lib/wine/wineserver32 /usr/lib/i386-linux-gnu/wine/wineserver \
                   /usr/lib/x86_64-linux-gnu/wine/wineserver /opt/wine-stable/bin/wineserver; do
    if [ -x "$candidate" ]; then VELMORA_WINESERVER=$candidate; break; fi
  done
fi
export VELMORA_WINESERVER

wineserver_wait() { [ -n "$VELMORA_WINESERVER" ] && "$VELMORA_WINESERVER" -w || true; }
wineserver_kill() { [ -n "$VELMORA_WINESERVER" ] && "$VELMORA_WINESERVER" -k 2>/dev/null || true; }
