#!/bin/sh
# Sets the test display's mode to WIDTHxHEIGHT through RandR, adding the
# mode to the display's one output first when it has none of that size.
set -e
w=$1 h=$2
out=$(xrandr | awk '/ connected/ { print $1; exit }')
if ! xrandr | grep -q "^ *${w}x${h} "; then
  # Timings do not matter to a virtual display; these are those of a
  # common monitor scaled to the size.
  xrandr --newmode "${w}x${h}" 60.00 "$w" $((w + 48)) $((w + 152)) $((w + 304)) "$h" $((h + 3)) $((h + 7)) $((h + 30)) -hsync +vsync
  xrandr --addmode "$out" "${w}x${h}"
fi
xrandr --output "$out" --mode "${w}x${h}"
