# Sourced by the test and run scripts: one Xvfb (unless a display is given)
# and one wineserver with a prefix of its own, started here and stopped by
# their own process ids.
#   wine_session_start PREFIX [own-display|use-display]
#   wine_session_stop

K3_XVFB_PID=""
K3_WINESERVER_PID=""

_k3_free_display() {
  local n
  for n in $(seq 91 199); do
    if [ ! -e "/tmp/.X${n}-lock" ] && [ ! -e "/tmp/.X11-unix/X${n}" ]; then
      echo "$n"
      return 0
    fi
  done
  return 1
}

k3_start_xvfb() {
  local n
  n=$(_k3_free_display) || { echo "no free X display number" >&2; return 1; }
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
  K3_XVFB_PID=$!
  local i
  for i in $(seq 1 100); do
    [ -e "/tmp/.X11-unix/X${n}" ] && break
    sleep 0.1
  done
  if ! kill -0 "$K3_XVFB_PID" 2>/dev/null; then
    echo "Xvfb did not start" >&2
    return 1
  fi
  export DISPLAY=":$n"
}

wine_session_start() {
  local prefix=$1 mode=${2:-own-display}
  export WINEPREFIX=$prefix
  export WINEARCH=win64
  export WINEDEBUG=${WINEDEBUG:--all}
  # No Mono or Gecko installer dialogs in a fresh prefix.
  export WINEDLLOVERRIDES="mscoree,mshtml="
  if [ "$mode" = own-display ] || [ -z "${DISPLAY:-}" ]; then
    k3_start_xvfb || return 1
  fi
  mkdir -p "$WINEPREFIX"
  wineserver -f -p &
  K3_WINESERVER_PID=$!
  if [ ! -f "$WINEPREFIX/.k3-ready" ]; then
    echo "wine-session: preparing the Wine prefix $WINEPREFIX"
    wine wineboot -i >/dev/null 2>&1 || true
    if [ "$mode" = own-display ]; then
      # Without a window manager Wine waits two seconds for every managed
      # window to be withdrawn; the test display has none.
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
    fi
    touch "$WINEPREFIX/.k3-ready"
  fi
}

wine_session_stop() {
  if [ -n "$K3_WINESERVER_PID" ]; then
    # Ends every Wine process of this prefix, then the server itself.
    wineserver -k >/dev/null 2>&1 || true
    kill "$K3_WINESERVER_PID" 2>/dev/null || true
    wait "$K3_WINESERVER_PID" 2>/dev/null || true
    K3_WINESERVER_PID=""
  fi
  if [ -n "$K3_XVFB_PID" ]; then
    kill "$K3_XVFB_PID" 2>/dev/null || true
    wait "$K3_XVFB_PID" 2>/dev/null || true
    K3_XVFB_PID=""
  fi
}
