#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it under Wine: on
# $DISPLAY when there is one, else on a display of its own whose screen is
# saved every few seconds.
# Usage: scripts/run.sh                 the main window, with sample photos the
#                                       script draws in its list (first run)
#        scripts/run.sh --demo          a demo show of those photos (viewer mode)
#        scripts/run.sh SHOW.k3dlt      that show (viewer mode)
#        scripts/run.sh PHOTO.jpg...    a show of those photos
# The program runs from build/run/, a program folder of its own: its photo
# list IMG.DAT lives there, apart from the tests' builds.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/lib/prepare-program.sh

# The sample photos.
demo="$root/build/demo"
bash scripts/lib/sample-photos.sh "$demo"

# The program folder of the run.
program="$root/build/run"
mkdir -p "$program"
cp -f "$root/build/win64/bin/k3driftlet.bin" "$program/k3driftlet.bin"

# What to show: a package (made here from photos when needed), or nothing
# for the main window.
show=""
if [ $# -eq 0 ] || [ "$1" = "--main" ]; then
  # The first run finds the sample photos in the list; later runs keep the
  # list the user left.
  if [ ! -f "$program/IMG.DAT" ]; then
    python3 scripts/lib/image-list.py "$program/IMG.DAT" \
      "$demo/sunset.jpg" "$demo/lagoon.jpg" "$demo/swirl.jpg"
  fi
elif [ "$1" = "--demo" ]; then
  show="$demo/demo.k3dlt"
  build/native/k3pack --type ripple --size 256 --interval 5s "$show" \
    "$demo/sunset.jpg" "$demo/lagoon.jpg" "$demo/swirl.jpg" >/dev/null
elif [ $# -eq 1 ] && [[ "${1,,}" == *.k3dlt ]]; then
  show=$(realpath "$1")
else
  show="$demo/photos.k3dlt"
  build/native/k3pack --type ripple --size 256 "$show" "$@" >/dev/null
fi

source scripts/lib/wine-session.sh
mode=$(wine_display_mode)

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
  wine "$program/k3driftlet.bin" "$(winepath -w "$show")" || true
else
  echo "run: starting k3driftlet.bin with the main window (close it to end)"
  wine "$program/k3driftlet.bin" || true
fi
