#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it under Wine: on
# $DISPLAY when there is one, else on a display of its own whose screen is
# saved every few seconds.
# Usage: scripts/run.sh [argument passed to k3driftlet.bin]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/install-deps.sh
bash scripts/build.sh win64 >/dev/null

source scripts/wine-session.sh
mode=use-display
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  unset DISPLAY
  mode=own-display
fi

shots="$root/build/screenshots"
shooter=""
cleanup() {
  [ -n "$shooter" ] && kill "$shooter" 2>/dev/null || true
  wine_session_stop
}
trap cleanup EXIT INT TERM
wine_session_start "$root/build/win64/wineprefix-run" "$mode"

if [ "$mode" = own-display ]; then
  mkdir -p "$shots"
  echo "run: no display found; running on its own Xvfb display $DISPLAY."
  echo "run: a screenshot is saved every 3 seconds to $shots (latest.png is the newest)."
  (
    i=0
    while sleep 3; do
      import -window root "$shots/shot-$(printf %03d $((i % 100))).png" 2>/dev/null &&
        cp -f "$shots/shot-$(printf %03d $((i % 100))).png" "$shots/latest.png"
      i=$((i + 1))
    done
  ) &
  shooter=$!
fi

echo "run: starting k3driftlet.bin (close it to end)"
wine "$root/build/win64/bin/k3driftlet.bin" "$@" || true
