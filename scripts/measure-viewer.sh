#!/usr/bin/env bash
# Measures the running viewer under Wine on real photos: the wallpaper
# photos of Debian's lomiri-wallpapers-20.04 (4096 x 2304 to 6028 x 3391).
# For each show, in several rounds, the CPU time over a number of seconds of
# the program, of its wineserver and of the X server, each in % of one core;
# then the program's memory, handles and GDI objects over some minutes of a
# 1-second switch over the photos. The floor shows run bench/WindowFloor.cpp:
# what the window system alone costs for the viewer's timers and frames.
# Usage: scripts/measure-viewer.sh [memory-minutes]   (default 10)
# Environment: K3_MEASURE_SHOWS (default "default photo128 ripple512
#              paused floor-timers floor-frames"; paused is the default show
#              paused as the notification area's menu pauses it),
#              K3_MEASURE_ROUNDS (3), K3_MEASURE_SECONDS (30),
#              K3_MEASURE_PROGRAM (another k3driftlet.bin, to compare builds).
#              K3_MEASURE_ROUNDS=0 measures the memory only.
#              K3_SESSION_DPI (96): the screens' DPI, 144 for 150 per cent.
# It runs in a Wine prefix of its own (build/win64/wineprefix-measure), so
# the tests may run meanwhile (though they share the processor).
# Results are printed and kept in build/bench-results/viewer.txt.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
minutes=${1:-10}
rounds=${K3_MEASURE_ROUNDS:-3}
seconds=${K3_MEASURE_SECONDS:-30}

bash scripts/install-deps.sh
bash scripts/lib/prepare-program.sh
cmake --build build/win64 --target win_probe win_floor >/dev/null

program=${K3_MEASURE_PROGRAM:-$root/build/win64/bin/k3driftlet.bin}
photos=(/usr/share/backgrounds/Kleiber_by_Lukas_Baubkus.jpg /usr/share/backgrounds/Infinite-Sea_by_Aury88.jpg
  /usr/share/backgrounds/Fossa_by_Jasper_Roks.jpg /usr/share/backgrounds/Painting-Colors_by__herobrine7gamer.jpg)
work="$root/build/measure"
mkdir -p "$work" build/bench-results
build/native/k3pack "$work/default.k3dlt" "${photos[@]:0:2}" >/dev/null
build/native/k3pack --type photo "$work/photo128.k3dlt" "${photos[@]:0:2}" >/dev/null
build/native/k3pack --size 512 "$work/ripple512.k3dlt" "${photos[@]:0:2}" >/dev/null
build/native/k3pack --interval 1s "$work/switch.k3dlt" "${photos[@]}" >/dev/null
cp "$work/default.k3dlt" "$work/paused.k3dlt"

source scripts/lib/wine-session.sh
trap wine_session_stop EXIT
wine_session_start "$root/build/win64/wineprefix-measure" own-display
hz=$(getconf CLK_TCK)
out="$root/build/bench-results/viewer.txt"
: >"$out"
say() { echo "$*" | tee -a "$out"; }

# The process of that name in this session's Wine prefix (another session
# may run a program of the same name meanwhile).
own_process() {
  local p
  for p in $(pgrep -x "$1" || true); do
    if tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX"; then
      echo "$p"
      return
    fi
  done
}
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
# The viewer on a package, or for a show floor-timers / floor-frames the
# window system's share alone: the drifting window without photos (its
# timers only), or the default show's frames made beforehand and only shown.
start_viewer() {
  local name=k3driftlet.bin
  case "$1" in
    */floor-timers.k3dlt) name=win_floor.exe; wine build/win64/bin/win_floor.exe timers >/dev/null 2>&1 & ;;
    */floor-frames.k3dlt)
      name=win_floor.exe
      wine build/win64/bin/win_floor.exe frames "$(winepath -w "${photos[0]}")" >/dev/null 2>&1 & ;;
    *) wine "$program" "$(winepath -w "$1")" >/dev/null 2>&1 & ;;
  esac
  local pid=""
  for _ in $(seq 1 100); do
    pid=$(own_process "$name")
    [ -n "$pid" ] && break
    sleep 0.1
  done
  echo "$pid"
}
stop_viewer() {
  kill "$1" 2>/dev/null || true
  for _ in $(seq 1 50); do kill -0 "$1" 2>/dev/null || break; sleep 0.1; done
}

say "$program"
say "CPU in % of one core over $seconds s, $rounds rounds, at ${K3_SESSION_DPI:-96} DPI; photos of lomiri-wallpapers-20.04"
say "$(printf '%-12s %5s %8s %10s %7s %14s' show round program wineserver X resident)"
for show in ${K3_MEASURE_SHOWS:-default photo128 ripple512 paused floor-timers floor-frames}; do
  for round in $(seq 1 "$rounds"); do
    pid=$(start_viewer "$work/$show.k3dlt")
    sleep 6
    if [ "$show" = paused ]; then
      wine build/win64/bin/win_probe.exe --pause >/dev/null 2>&1
      sleep 1
    fi
    a=$(cpu_ticks "$pid"); s=$(cpu_ticks "$K3_WINESERVER_PID"); x=$(cpu_ticks "$K3_XVFB_PID")
    sleep "$seconds"
    b=$(cpu_ticks "$pid"); t=$(cpu_ticks "$K3_WINESERVER_PID"); y=$(cpu_ticks "$K3_XVFB_PID")
    rss=$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")
    say "$(awk -v a="$a" -v b="$b" -v s="$s" -v t="$t" -v x="$x" -v y="$y" -v hz="$hz" -v d="$seconds" \
      -v n="$show" -v r="$round" -v m="$rss" \
      'BEGIN {printf "%-12s %5d %7.2f%% %9.2f%% %6.2f%% %10d KiB", n, r, 100*(b-a)/hz/d, 100*(t-s)/hz/d, 100*(y-x)/hz/d, m}')"
    stop_viewer "$pid"
  done
done

pid=$(start_viewer "$work/switch.k3dlt")
sleep 10
winpid=$(wine build/win64/bin/win_probe.exe --find k3driftlet.bin 2>/dev/null | tr -d '\r')
say "memory: 4 photos, 1-second switch, $minutes minutes"
for m in $(seq 0 "$minutes"); do
  rss=$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")
  counts=$(wine build/win64/bin/win_probe.exe "$winpid" 2>/dev/null | tr -d '\r')
  say "  minute $m: resident $rss KiB, $counts"
  if [ "$m" -lt "$minutes" ]; then sleep 60; fi
done
stop_viewer "$pid"
