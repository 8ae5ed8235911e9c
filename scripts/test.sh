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
# The editions run at once, each in a session (display, wineserver,
# desktop) and a prefix of its own, the Japanese one from its own copy of
# the program folder: most of a test's time is waiting for a program, and
# two sessions wait side by side. After its edition each session runs the
# photo on two monitors (English: Xorg with the dummy video driver offers
# them, Xvfb shows Wine one) and the program at 150 per cent (a session
# whose screens have 144 DPI).
run_edition() {
  local edition=$1 prefix=$2 log=$3
  # Every session runs, whatever the one before it found.
  set +e
  trap wine_session_stop EXIT
  {
    echo "== Windows tests, $edition edition"
    wine_session_start "$prefix" own-display &&
      ctest --test-dir build/win64 --output-on-failure -R "_${edition}\$" -E '^win_e2e_high_dpi_' 2>&1
    local rc=$?
    wine_session_stop
    if [ "$edition" = english ]; then
      echo "== Windows tests on two monitors"
      wine_session_start "$prefix" two-monitors &&
        ctest --test-dir build/win64 --output-on-failure -R '^win_e2e_two_monitors$' 2>&1 || rc=1
      wine_session_stop
    fi
    echo "== Windows tests at 144 DPI, $edition edition"
    K3_SESSION_DPI=144 wine_session_start "$prefix" own-display &&
      ctest --test-dir build/win64 --output-on-failure -R "^win_e2e_high_dpi_${edition}\$" 2>&1 || rc=1
    wine_session_stop
    exit $rc
  } >"$log" 2>&1
}
: >"$logs/win64.log"
( run_edition english "$root/build/win64/wineprefix" "$logs/win64-english.log" ) &
english=$!
( run_edition japanese "$root/build/win64/wineprefix-japanese" "$logs/win64-japanese.log" ) &
japanese=$!
# What each session says, as it comes.
tail -n +1 -f "$logs/win64-english.log" "$logs/win64-japanese.log" 2>/dev/null &
follow=$!
wait "$english" || status=1
wait "$japanese" || status=1
kill "$follow" 2>/dev/null || true
wait "$follow" 2>/dev/null || true
cat "$logs/win64-english.log" "$logs/win64-japanese.log" >"$logs/win64.log"

# One closing line for both runs, counting test cases.
echo "test.sh: finished in $(( $(date +%s) - started )) s"
python3 scripts/lib/test-summary.py "$logs/native.log" "$logs/win64.log" -- \
  build/native/test-results build/win64/test-results | sed '$s/^/total: /'
exit $status
