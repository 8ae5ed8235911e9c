#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it under Wine: on
# $DISPLAY when there is one, else on a display of its own whose screen is
# saved every few seconds.
# Usage: scripts/run.sh                 a demo show of sample photos the script draws
#        scripts/run.sh SHOW.k3dlt      that show (viewer mode)
#        scripts/run.sh PHOTO.jpg...    a show of those photos
#        scripts/run.sh --main          the main window (normal mode)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/install-deps.sh
bash scripts/build.sh win64 >/dev/null
if [ ! -f build/native/build.ninja ]; then cmake --preset native >/dev/null; fi
cmake --build build/native --target k3pack >/dev/null

# What to show: a package (made here from photos when needed).
show=""
if [ $# -eq 0 ]; then
  demo="$root/build/demo"
  mkdir -p "$demo"
  if [ ! -f "$demo/demo.k3dlt" ]; then
    echo "run: drawing sample photos into $demo"
    convert -size 640x480 -seed 11 plasma:orange-purple "$demo/sunset.jpg"
    convert -size 480x640 -seed 23 plasma:skyblue-seagreen "$demo/lagoon.jpg"
    convert -size 640x480 radial-gradient:gold-firebrick -swirl 180 "$demo/swirl.jpg"
    build/native/k3pack --type ripple --size 256 --interval 5s "$demo/demo.k3dlt" \
      "$demo/sunset.jpg" "$demo/lagoon.jpg" "$demo/swirl.jpg" >/dev/null
  fi
  show="$demo/demo.k3dlt"
elif [ "$1" = "--main" ]; then
  show=""
elif [ $# -eq 1 ] && [[ "${1,,}" == *.k3dlt ]]; then
  show=$(realpath "$1")
else
  mkdir -p "$root/build/demo"
  show="$root/build/demo/photos.k3dlt"
  build/native/k3pack --type ripple --size 256 "$show" "$@" >/dev/null
fi

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

if [ -n "$show" ]; then
  echo "run: starting k3driftlet.bin with $show (close the drifting photo to end)"
  wine "$root/build/win64/bin/k3driftlet.bin" "$(winepath -w "$show")" || true
else
  echo "run: starting k3driftlet.bin (close it to end)"
  wine "$root/build/win64/bin/k3driftlet.bin" || true
fi
