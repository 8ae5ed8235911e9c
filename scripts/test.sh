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
rm -rf build/native/test-results build/win64/test-results build/win32/test-results
status=0

echo "== native tests"
ctest --test-dir build/native --output-on-failure 2>&1 | tee "$logs/native.log" || status=1

echo "== Windows tests (Wine)"
source scripts/lib/wine-session.sh
# Three sessions run at once, each with a display, a wineserver and a
# prefix of its own: most of a test's time is waiting for a program, and
# the sessions wait side by side. One runs the English edition's tests,
# then the photo on two monitors (Xorg with the dummy video driver offers
# them, Xvfb shows Wine one) and the program at 150 per cent (a session
# whose screens have 144 DPI); one the Japanese edition's (from its own
# copy of the program folder) and the same at 150 per cent; one both
# editions' installers, then the i686 tree's tests (32-bit programs in a
# WoW64 prefix of their own).
# One session: started, its tests, stopped; false when either failed.
session_tests() {
  local tree=$1 prefix=$2 mode=$3
  shift 3
  wine_session_start "$prefix" "$mode" && ctest --test-dir "build/$tree" --output-on-failure "$@" 2>&1
  local rc=$?
  wine_session_stop
  return $rc
}
run_chain() {
  local chain=$1 log=$2 prefix="$root/build/win64/wineprefix-$1" rc=0
  # Every session runs, whatever the one before it found.
  set +e
  trap wine_session_stop EXIT
  {
    case $chain in
      english | japanese)
        echo "== Windows tests, $chain edition"
        session_tests win64 "$prefix" own-display -R "_${chain}\$" -E '^win_e2e_(high_dpi|installers)_' || rc=1
        if [ "$chain" = english ]; then
          echo "== Windows tests on two monitors"
          session_tests win64 "$prefix" two-monitors -R '^win_e2e_two_monitors$' || rc=1
        fi
        echo "== Windows tests at 144 DPI, $chain edition"
        K3_SESSION_DPI=144 session_tests win64 "$prefix" own-display -R "^win_e2e_high_dpi_${chain}\$" || rc=1
        ;;
      installers)
        echo "== Windows tests, installers of both editions"
        session_tests win64 "$prefix" own-display -R '^win_e2e_installers_(english|japanese)$' || rc=1
        echo "== Windows tests of the 32-bit programs (i686 tree, English edition)"
        session_tests win32 "$root/build/win32/wineprefix-english" own-display -R '^win32_' || rc=1
        ;;
    esac
    exit $rc
  } >"$log" 2>&1
}
chains=(english japanese installers)
pids=()
chainLogs=()
for chain in "${chains[@]}"; do
  chainLogs+=("$logs/win64-$chain.log")
  : >"$logs/win64-$chain.log"
  ( run_chain "$chain" "$logs/win64-$chain.log" ) &
  pids+=($!)
done
# What each session says, as it comes.
tail -n +1 -f "${chainLogs[@]}" 2>/dev/null &
follow=$!
for pid in "${pids[@]}"; do wait "$pid" || status=1; done
kill "$follow" 2>/dev/null || true
wait "$follow" 2>/dev/null || true
cat "${chainLogs[@]}" >"$logs/win64.log"

# One closing line for both runs, counting test cases.
echo "test.sh: finished in $(( $(date +%s) - started )) s"
python3 scripts/lib/test-summary.py "$logs/native.log" "$logs/win64.log" -- \
  build/native/test-results build/win64/test-results build/win32/test-results | sed '$s/^/total: /'
exit $status
