#!/usr/bin/env bash
# What the run, screenshot and measurement scripts need before they start
# the program: the Debian packages, the Windows build and the k3pack tool.
set -euo pipefail
cd "$(dirname "$0")/../.."
bash scripts/install-deps.sh
bash scripts/build.sh win64 >/dev/null
if [ ! -f build/native/build.ninja ]; then cmake --preset native >/dev/null; fi
cmake --build build/native --target k3pack >/dev/null
