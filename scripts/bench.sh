#!/usr/bin/env bash
# Measures the per-frame image work: the native kernels (Google Benchmark),
# ImageMagick's -wave on the same 716 x 716 Ripple canvas in the same run
# (one thread), the Windows build under Wine (generators and regions), and
# the drifting window's frames on a real photo under Wine, and the main view
# with 12-megapixel camera photos under Wine; the last three also for the
# i686 programs (32-bit, in the same WoW64 prefix).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/install-deps.sh
if [ ! -f build/bench/build.ninja ]; then cmake --preset bench >/dev/null; fi
cmake --build build/bench -j "$(nproc)" >/dev/null
bash scripts/build.sh win64 win32 >/dev/null

out="$root/build/bench-results"
mkdir -p "$out"

echo "== native kernels (Google Benchmark)"
build/bench/bench/native_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  --benchmark_format=console | tee "$out/native.txt"

echo "== ImageMagick -wave on the same canvas, one thread"
build/bench/bench/native_bench --write-canvas="$out/canvas.ppm"
convert "$out/canvas.ppm" "$out/canvas.mpc"
ips=$(convert "$out/canvas.mpc" -limit thread 1 -bench 30 -wave 30x716 null: 2>&1 | awk '/Performance/ {print $3}' | tail -1)
im_ms=$(awk -v ips="${ips%ips}" 'BEGIN {printf "%.2f", 1000 / ips}')
echo "ImageMagick -wave 716x716: $im_ms ms per frame"
convert -size 717x538 gradient:red-blue "$out/small.mpc"
ips_small=$(convert "$out/small.mpc" -limit thread 1 -bench 30 -wave 25x150 null: 2>&1 | awk '/Performance/ {print $3}' | tail -1)
echo "ImageMagick -wave 717x538 (reference frame): $(awk -v ips="${ips_small%ips}" 'BEGIN {printf "%.2f", 1000 / ips}') ms per frame"
ripple_ms=$(awk '/BM_Ripple716_median/ {print $2}' "$out/native.txt")
echo "Ripple 716x716 native median: $ripple_ms ms; ImageMagick / Ripple = $(awk -v a="$im_ms" -v b="$ripple_ms" 'BEGIN {printf "%.1f", a / b}')x"

echo "== Windows build under Wine"
source scripts/lib/wine-session.sh
trap wine_session_stop EXIT
wine_session_start "$root/build/win64/wineprefix-bench" own-display
wine build/win64/bin/win_bench.exe | tee "$out/wine.txt"

echo "== the drifting window's frames on a wallpaper photo (6028 x 3391) under Wine"
wine build/win64/bin/win_drift_bench.exe "$(winepath -w /usr/share/backgrounds/Kleiber_by_Lukas_Baubkus.jpg)" 2>/dev/null |
  tee "$out/drift.txt"

echo "== the main view with camera photos under Wine (500 photos dropped, IMG.DAT at start, a growing selection)"
wine build/win64/bin/win_view_bench.exe 2>/dev/null | tee "$out/view.txt"

echo "== a list of 20,000 photos under Wine (rows, thumbnails kept, memory, a jump to its middle)"
wine build/win64/bin/win_view_bench.exe --long 2>/dev/null | tee "$out/long-list.txt"

echo "== the same for the i686 programs (32-bit, WoW64)"
wine build/win32/bin/win_drift_bench.exe "$(winepath -w /usr/share/backgrounds/Kleiber_by_Lukas_Baubkus.jpg)" 2>/dev/null |
  tee "$out/drift-32.txt"
wine build/win32/bin/win_view_bench.exe 2>/dev/null | tee "$out/view-32.txt"
wine build/win32/bin/win_view_bench.exe --long 2>/dev/null | tee "$out/long-list-32.txt"
