#!/bin/sh
# Runs a command (a Windows test program under Wine) with its output in a
# file, shown when it ends. A Windows program may start the prefix's own
# helpers (its desktop process, say), which live on after it and inherit
# what it writes to: written to a pipe, ctest would wait for them until the
# test's time limit; written to a file, it is done when the program is.
# A program that failed without writing a word never started (Wine's
# loader gave up at once, as it now and then does while the prefix's
# helpers come and go): it is started once more, and says so.
# Usage: output-apart.sh COMMAND [ARGS...]
out=$(mktemp)
run() {
  "$@" >"$out" 2>&1 &
  child=$!
  # Stopped at its time limit, it still shows what it wrote.
  trap 'kill "$child" 2>/dev/null; cat "$out"; rm -f "$out"; exit 124' TERM INT
  wait "$child"
  rc=$?
}
run "$@"
if [ "$rc" -ne 0 ] && [ ! -s "$out" ]; then
  echo "output-apart: the program ended with status $rc before writing anything; started once more"
  sleep 2
  run "$@"
fi
cat "$out"
rm -f "$out"
exit $rc
