#!/usr/bin/env bash
# Configures (once) and builds the given trees: native, win64, win32.
# Usage: scripts/build.sh [tree...] (default: all three)
set -euo pipefail
cd "$(dirname "$0")/.."
trees=("$@")
[ ${#trees[@]} -eq 0 ] && trees=(native win64 win32)
for tree in "${trees[@]}"; do
  if [ ! -f "build/$tree/build.ninja" ]; then
    cmake --preset "$tree" >/dev/null
  fi
  echo "build: $tree"
  cmake --build "build/$tree" -j "$(nproc)"
done
