#!/usr/bin/env bash
# Installs what is missing, builds the three trees and runs every test:
# the native tests, then the Windows tests under Wine on a display and a
# wineserver of this run's own.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
started=$(date +%s)

bash scripts/install-deps.sh
bash scripts/build.sh native win64 win32

logs="$root/build/test-logs"
mkdir -p "$logs"
# Results of an earlier run must not be counted again.
rm -rf build/native/test-results build/win64/test-results
status=0

echo "== native tests"
ctest --test-dir build/native --output-on-failure 2>&1 | tee "$logs/native.log" || status=1

echo "== Windows tests (Wine)"
source scripts/lib/wine-session.sh
trap wine_session_stop EXIT
: >"$logs/win64.log"
# One session (display, wineserver, desktop) per edition. In whole runs in
# one session the Japanese edition's test program, started after the English
# one, saw a desktop of 0 x 0 and no work area while the programs it started
# saw the right ones; each edition now starts from a session of its own.
for edition in english japanese; do
  echo "== Windows tests, $edition edition"
  wine_session_start "$root/build/win64/wineprefix" own-display
  ctest --test-dir build/win64 --output-on-failure -R "_${edition}\$" -E '^win_e2e_high_dpi_' 2>&1 |
    tee -a "$logs/win64.log" || status=1
  wine_session_stop
done
# The photo roaming two monitors: Xorg with the dummy video driver offers
# them (Xvfb shows Wine one).
echo "== Windows tests on two monitors"
wine_session_start "$root/build/win64/wineprefix" two-monitors
ctest --test-dir build/win64 --output-on-failure -R '^win_e2e_two_monitors$' 2>&1 | tee -a "$logs/win64.log" || status=1
wine_session_stop
# The program at 150 per cent: a session whose screens have 144 DPI.
echo "== Windows tests at 144 DPI"
K3_SESSION_DPI=144 wine_session_start "$root/build/win64/wineprefix" own-display
ctest --test-dir build/win64 --output-on-failure -R '^win_e2e_high_dpi_' 2>&1 | tee -a "$logs/win64.log" || status=1
wine_session_stop
trap - EXIT

# One closing line for both runs, counting test cases.
echo "test.sh: finished in $(( $(date +%s) - started )) s"
python3 scripts/lib/test-summary.py "$logs/native.log" "$logs/win64.log" -- \
  build/native/test-results build/win64/test-results | sed '$s/^/total: /'
exit $status
