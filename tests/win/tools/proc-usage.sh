#!/bin/sh
# Writes to OUT what the running processes whose program (the first word of
# the command line) ends in NAME have used so far:
#   cpu   processor time in milliseconds (user and system, all threads)
#   peak  the largest resident memory of any of them, in kilobytes (VmHWM)
# Only the processes of the caller's Wine prefix count: another session's
# programs may run at the same time.
what=$1 name=$2 out=$3
prefix=${WINEPREFIX:-}
tck=$(getconf CLK_TCK)
total=0
for d in /proc/[0-9]*; do
  program=$(tr '\0' '\n' <"$d/cmdline" 2>/dev/null | head -n 1)
  [ "${program%"$name"}" != "$program" ] || continue
  if [ -n "$prefix" ] && ! { tr '\0' '\n' <"$d/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$prefix"; then
    continue
  fi
  if [ "$what" = peak ]; then
    kb=$(awk '/^VmHWM:/ { print $2 }' "$d/status" 2>/dev/null)
    [ -n "$kb" ] && [ "$kb" -gt "$total" ] && total=$kb
  else
    stat=$(cat "$d/stat" 2>/dev/null) || continue
    # The fields after "pid (command) ": state is the first, utime the
    # 12th, stime the 13th.
    set -- ${stat##*) }
    total=$((total + ${12} + ${13}))
  fi
done
if [ "$what" = peak ]; then echo "$total" >"$out"; else echo $((total * 1000 / tck)) >"$out"; fi
