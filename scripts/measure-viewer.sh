#!/usr/bin/env bash
# Measures the running viewer under Wine: the CPU time it takes over 60
# seconds with the default show (Ripple, size 128) and with Ripple at size
# 512, and its memory over 10 minutes of a 1-second switch over 5 photos.
# Usage: scripts/measure-viewer.sh [memory-minutes]   (default 10)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
minutes=${1:-10}

bash scripts/prepare-program.sh

work="$root/build/measure"
mkdir -p "$work"
for i in 1 2 3 4 5; do
  [ -f "$work/p$i.jpg" ] || convert -size 800x600 -seed "$i" plasma:fractal "$work/p$i.jpg"
done
build/native/k3pack "$work/default.k3dlt" "$work/p1.jpg" "$work/p2.jpg" >/dev/null
build/native/k3pack --size 512 "$work/ripple512.k3dlt" "$work/p1.jpg" "$work/p2.jpg" >/dev/null
build/native/k3pack --interval 1s "$work/switch.k3dlt" "$work"/p?.jpg >/dev/null

source scripts/wine-session.sh
trap wine_session_stop EXIT
wine_session_start "$root/build/win64/wineprefix" own-display
hz=$(getconf CLK_TCK)

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
start_viewer() {
  wine build/win64/bin/k3driftlet.bin "$(winepath -w "$1")" >/dev/null 2>&1 &
  local pid=""
  for _ in $(seq 1 100); do
    pid=$(pgrep -x 'k3driftlet.bin' | head -1 || true)
    [ -n "$pid" ] && break
    sleep 0.1
  done
  echo "$pid"
}
stop_viewer() {
  kill "$1" 2>/dev/null || true
  for _ in $(seq 1 50); do kill -0 "$1" 2>/dev/null || break; sleep 0.1; done
}

for show in ${K3_MEASURE_SHOWS:-default ripple512}; do
  pid=$(start_viewer "$work/$show.k3dlt")
  sleep 5
  server=$K3_WINESERVER_PID
  a=$(cpu_ticks "$pid"); s=$(cpu_ticks "$server")
  sleep 60
  b=$(cpu_ticks "$pid"); t=$(cpu_ticks "$server")
  awk -v a="$a" -v b="$b" -v s="$s" -v t="$t" -v hz="$hz" -v n="$show" \
    'BEGIN {printf "%-10s viewer %.1f %% of one core over 60 s (wineserver %.1f %%)\n", n, 100*(b-a)/hz/60, 100*(t-s)/hz/60}'
  stop_viewer "$pid"
done

pid=$(start_viewer "$work/switch.k3dlt")
sleep 10
echo "memory: 5 photos, 1-second switch, $minutes minutes"
for m in $(seq 0 "$minutes"); do
  rss=$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")
  echo "  minute $m: resident $rss KiB"
  if [ "$m" -lt "$minutes" ]; then sleep 60; fi
done
stop_viewer "$pid"
