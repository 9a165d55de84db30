#!/usr/bin/env bash
# A private virtual X display, on a display number that is free right now.
#   scripts/xvfb.sh start <state-dir>   prints the display (":N"); reuses a
#                                       running one started from that dir
#   scripts/xvfb.sh stop <state-dir>    ends the Xvfb started from that dir
# Xvfb picks the number itself (-displayfd), so concurrent runs never collide.
set -euo pipefail

cmd=${1:?usage: xvfb.sh start|stop <state-dir>}
state=${2:?usage: xvfb.sh start|stop <state-dir>}
mkdir -p "$state"
pidfile="$state/xvfb.pid"
dispfile="$state/xvfb.display"

ours() {
  local pid
  pid=$(cat "$pidfile" 2>/dev/null) || return 1
  [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null || return 1
  local cmdline
  cmdline=$(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null) || return 1
  [[ "$cmdline" == Xvfb* ]]
}

case "$cmd" in
  start)
    exec 9>"$state/xvfb.lock"
    flock 9
    if ours && [ -s "$dispfile" ]; then
      cat "$dispfile"
      exit 0
    fi
    rm -f "$pidfile" "$dispfile"
    fifo="$state/xvfb.fd"
    rm -f "$fifo"
    : >"$fifo"
    # setsid: the server outlives this script and ignores the terminal's ^C.
    setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$fifo" 9>&- \
      >"$state/xvfb.log" 2>&1 </dev/null &
    pid=$!
    echo "$pid" >"$pidfile"
    # Only whether it is still alive: the child may not have become Xvfb yet
    # (bash, then setsid, then exec), so its command line is no test here.
    for _ in $(seq 1 100); do
      if [ -s "$fifo" ] && grep -q '^[0-9]' "$fifo"; then break; fi
      if ! kill -0 "$pid" 2>/dev/null; then
        echo "xvfb: Xvfb did not start (see $state/xvfb.log)" >&2
        exit 1
      fi
      sleep 0.1
    done
    num=$(head -n1 "$fifo" | tr -dc 0-9)
    [ -n "$num" ] || { echo "xvfb: no display number after 10 s" >&2; exit 1; }
    echo ":$num" >"$dispfile"
    rm -f "$fifo"
    cat "$dispfile"
    ;;
  stop)
    if ours; then
      pid=$(cat "$pidfile")
      kill "$pid" 2>/dev/null || true
      for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    fi
    rm -f "$pidfile" "$dispfile"
    ;;
  *)
    echo "usage: xvfb.sh start|stop <state-dir>" >&2
    exit 2
    ;;
esac
