#!/bin/sh
# Writes to OUT the processor time in milliseconds (user and system, all
# threads) that the running processes whose program (the first word of the
# command line) ends in NAME have used so far.
name=$1 out=$2
tck=$(getconf CLK_TCK)
total=0
for d in /proc/[0-9]*; do
  program=$(tr '\0' '\n' <"$d/cmdline" 2>/dev/null | head -n 1)
  if [ "${program%"$name"}" != "$program" ]; then
    stat=$(cat "$d/stat" 2>/dev/null) || continue
    # The fields after "pid (command) ": state is the first, utime the 12th,
    # stime the 13th.
    set -- ${stat##*) }
    total=$((total + ${12} + ${13}))
  fi
done
echo $((total * 1000 / tck)) >"$out"
