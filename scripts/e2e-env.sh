#!/usr/bin/env bash
# The shared environment of the end-to-end tests of one build tree.
#   scripts/e2e-env.sh up     Wine prefix ready, private Xvfb started, a
#                             persistent wineserver for the prefix
#   scripts/e2e-env.sh down   that wineserver and that Xvfb ended
#   scripts/e2e-env.sh run <program.exe> [args]
#                             runs a Windows program there; its exit code
# Reads VELMORA_WINEPREFIX, VELMORA_E2E_STATE and VELMORA_ARCH (set by CTest).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
prefix=${VELMORA_WINEPREFIX:?VELMORA_WINEPREFIX is not set}
state=${VELMORA_E2E_STATE:?VELMORA_E2E_STATE is not set}
mkdir -p "$state"

case "${1:-}" in
  up)
    "$here/wine-prefix.sh" "$prefix"
    display=$("$here/xvfb.sh" start "$state")
    echo "$display" >"$state/display"
    . "$here/wine-env.sh" "$prefix"
    export DISPLAY=$display
    # Programs of earlier runs in this prefix would hold hotkeys and windows.
    wineserver_kill
    # Kept alive between tests, so that each test does not pay for the
    # start of the prefix's services.  Nothing started here may hold this
    # script's output open: CTest waits for its end.
    "$VELMORA_WINESERVER" -p >/dev/null 2>&1 </dev/null
    # Start the services once (desktop, tray) before the first test.
    "$VELMORA_WINE" cmd /c exit 0 >/dev/null 2>&1 </dev/null || true
    echo "e2e: prefix $prefix, display $display"
    ;;
  down)
    . "$here/wine-env.sh" "$prefix"
    wineserver_kill
    "$here/xvfb.sh" stop "$state"
    rm -f "$state/display"
    ;;
  run)
    shift
    . "$here/wine-env.sh" "$prefix"
    DISPLAY=$(cat "$state/display") || { echo "e2e: no display; run the e2e_<arch>_environment_up test first" >&2; exit 1; }
    export DISPLAY
    exec "$VELMORA_WINE" "$@"
    ;;
  *)
    echo "usage: e2e-env.sh up|down|run" >&2
    exit 2
    ;;
esac
