#!/usr/bin/env bash
# Makes the README's screenshots from the real program under Wine, on a
# display of its own: the main window with the sample photos in its list
# (English and Japanese editions, and the English one at 150 per cent), a
# drifting Ripple photo, and a photo thrown onto the second of two monitors
# (Xorg with the dummy driver).
# Usage: scripts/screenshots.sh   (writes docs/screenshots/*.png)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/lib/prepare-program.sh

demo="$root/build/demo"
mkdir -p "$root/docs/screenshots"
bash scripts/lib/sample-photos.sh "$demo"
program="$root/build/screenshots-program"
mkdir -p "$program"
cp -f build/win64/bin/k3driftlet.bin "$program/"

source scripts/lib/wine-session.sh
trap wine_session_stop EXIT INT TERM
wine_session_start "$root/build/win64/wineprefix-shots" own-display

# The geometry (WxH+X+Y) of the program's window of the given size class:
# "frame" is the main window (800 x 600 or larger), "drift" the other one.
geometry() {
  xwininfo -root -children | grep '"Kelvarstone Photo Driftlet"\|"フォトドリフレット"' |
    awk -v want="$1" '{ for (i = 1; i <= NF; i++) if ($i ~ /^[0-9]+x[0-9]+\+/) g = $i;
                        split(g, p, /[x+]/); big = (p[1] >= 800 && p[2] >= 600);
                        if ((want == "frame") == big) { print g; exit } }'
}

shoot() {  # shoot NAME GEOMETRY [MARGIN]
  local g=$2 m=${3:-0} w h x y
  IFS='x+' read -r w h x y <<<"$g"
  import -window root -crop "$((w + 2 * m))x$((h + 2 * m))+$((x - m))+$((y - m))" +repage "docs/screenshots/$1.png"
  echo "screenshots: docs/screenshots/$1.png"
}

for edition in en ja; do
  locale=en_US.UTF-8
  [ "$edition" = ja ] && locale=ja_JP.UTF-8
  python3 scripts/lib/image-list.py "$program/IMG.DAT" "$demo/sunset.jpg" "$demo/lagoon.jpg" "$demo/swirl.jpg"
  LC_ALL=$locale LANG=$locale wine "$program/k3driftlet.bin" >/dev/null 2>&1 &
  sleep 9
  shoot "main-$edition" "$(geometry frame)"
  wineserver -k >/dev/null 2>&1 || true
  wine wineboot >/dev/null 2>&1 || true
done

build/native/k3pack --type ripple --size 256 --interval 60m "$demo/ripple.k3dlt" "$demo/sunset.jpg" >/dev/null
wine "$program/k3driftlet.bin" "$(winepath -w "$demo/ripple.k3dlt")" >/dev/null 2>&1 &
sleep 6
shoot ripple "$(geometry drift)" 16
wineserver -k >/dev/null 2>&1 || true

# Two monitors: the 1024 x 768 one left of the 1280 x 1024 primary. The
# photo starts on the primary and is thrown onto the other with the mouse;
# the picture shows both monitors (outlined) at half size.
wine_session_stop
wine_session_start "$root/build/win64/wineprefix-shots-monitors" two-monitors
build/native/k3pack --type ripple --size 256 --interval 60m "$demo/roam.k3dlt" "$demo/lagoon.jpg" >/dev/null
wine "$program/k3driftlet.bin" "$(winepath -w "$demo/roam.k3dlt")" >/dev/null 2>&1 &
sleep 6
IFS='x+' read -r w h x y <<<"$(geometry drift)"
xdotool mousemove $((x + w / 2)) $((y + h / 2)) sleep 0.2 mousedown 1 sleep 0.2 \
  mousemove 900 300 sleep 0.1 mousemove 600 320 sleep 0.1 mousemove 420 340 sleep 0.2 mouseup 1
sleep 2
import -window root "$demo/two-monitors.png"
convert "$demo/two-monitors.png" -fill none -stroke '#6f7f9f' -strokewidth 4 \
  -draw 'rectangle 2,2 1021,765' -draw 'rectangle 1026,2 2301,1021' -resize 50% \
  docs/screenshots/two-monitors.png
echo "screenshots: docs/screenshots/two-monitors.png"
wineserver -k >/dev/null 2>&1 || true

# The main window on a screen at 150 per cent (144 DPI): 1200 x 900.
wine_session_stop
K3_SESSION_DPI=144 wine_session_start "$root/build/win64/wineprefix-shots" own-display
python3 scripts/lib/image-list.py "$program/IMG.DAT" "$demo/sunset.jpg" "$demo/lagoon.jpg" "$demo/swirl.jpg"
LC_ALL=en_US.UTF-8 LANG=en_US.UTF-8 wine "$program/k3driftlet.bin" >/dev/null 2>&1 &
sleep 9
shoot main-en-144dpi "$(geometry frame)"
wineserver -k >/dev/null 2>&1 || true
