#!/usr/bin/env bash
# Configures and builds the given trees: native, win64, win32.
# Usage: scripts/build.sh [tree...] (default: all three)
set -euo pipefail
cd "$(dirname "$0")/.."
trees=("$@")
[ ${#trees[@]} -eq 0 ] && trees=(native win64 win32)
for tree in "${trees[@]}"; do
  # Configured at every build: a tree configured by an older checkout takes
  # the preset's settings as they are now.
  cmake --preset "$tree" >/dev/null
  echo "build: $tree"
  cmake --build "build/$tree" -j "$(nproc)"
done
