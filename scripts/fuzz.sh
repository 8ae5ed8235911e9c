#!/usr/bin/env bash
# Fuzzes the package reader with libFuzzer under AddressSanitizer and
# UndefinedBehaviorSanitizer (clang, natively). New inputs that reach new code
# are kept in tests/fuzz/corpus/package, which the native tests replay.
# Usage: scripts/fuzz.sh [runs]   (default 10000000)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
runs=${1:-10000000}
out=build/fuzz
mkdir -p "$out"
clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -I. \
  tests/fuzz/PackageFuzz.cpp files/PackageCodec.cpp desktop/DisplaySettings.cpp -o "$out/package_fuzz"
"$out/package_fuzz" -runs="$runs" -max_len=4096 -print_final_stats=1 tests/fuzz/corpus/package
