#!/bin/sh
# Runs a command (a Windows test program under Wine) with its output in a
# file, shown when it ends. A Windows program may start the prefix's own
# helpers (its desktop process, say), which live on after it and inherit
# what it writes to: written to a pipe, ctest would wait for them until the
# test's time limit; written to a file, it is done when the program is.
# Usage: output-apart.sh COMMAND [ARGS...]
out=$(mktemp)
"$@" >"$out" 2>&1 &
child=$!
# Stopped at its time limit, it still shows what it wrote.
trap 'kill "$child" 2>/dev/null; cat "$out"; rm -f "$out"; exit 124' TERM INT
wait "$child"
rc=$?
cat "$out"
rm -f "$out"
exit $rc
