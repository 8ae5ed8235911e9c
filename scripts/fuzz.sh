#!/usr/bin/env bash
# Fuzzes every reader of untrusted bytes with libFuzzer under
# AddressSanitizer and UndefinedBehaviorSanitizer (clang, natively): the
# package reader, a JPEG's facts, the JPEG decoder at each reduction under a
# decoding budget, the photo list IMG.DAT and the update service's replies.
# The corpus in tests/fuzz/corpus/<target> is fuzzed from and then replaced
# by the fewest inputs that reach what all of them reached; the native
# tests replay it. Each target runs the given number of
# inputs; the script fails on the first finding.
# Usage: scripts/fuzz.sh [runs] [target...]   (default 1000000, every target:
#        package jpeg_facts jpeg_decode image_list update_reply)
# Environment: K3_FUZZ_SECONDS ends each target after that many seconds,
#              whatever the runs.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
runs=${1:-1000000}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(package jpeg_facts jpeg_decode image_list update_reply)
out=build/fuzz
mkdir -p "$out"
flags=(-std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -I.)
readers=(tests/fuzz/ReaderFuzz.cpp imaging/Exif.cpp imaging/JpegDecode.cpp imaging/DecodeBudget.cpp
  ui/ImageListFile.cpp update/UpdateRules.cpp files/SetupRules.cpp)
for target in "${targets[@]}"; do
  case "$target" in
    package) clang++ "${flags[@]}" tests/fuzz/PackageFuzz.cpp files/PackageCodec.cpp desktop/DisplaySettings.cpp \
      -o "$out/package_fuzz" ;;
    jpeg_facts) clang++ "${flags[@]}" -DK3_FUZZ_TARGET=FuzzJpegFacts "${readers[@]}" -ljpeg -o "$out/jpeg_facts_fuzz" ;;
    jpeg_decode) clang++ "${flags[@]}" -DK3_FUZZ_TARGET=FuzzJpegDecode "${readers[@]}" -ljpeg -o "$out/jpeg_decode_fuzz" ;;
    image_list) clang++ "${flags[@]}" -DK3_FUZZ_TARGET=FuzzImageList "${readers[@]}" -ljpeg -o "$out/image_list_fuzz" ;;
    update_reply) clang++ "${flags[@]}" -DK3_FUZZ_TARGET=FuzzUpdateReply "${readers[@]}" -ljpeg -o "$out/update_reply_fuzz" ;;
    *) echo "fuzz: no target $target" >&2; exit 2 ;;
  esac
  corpus="tests/fuzz/corpus/$target"
  work="$out/corpus-$target"
  mkdir -p "$corpus"
  rm -rf "$work" "$out/merged"
  mkdir -p "$work" "$out/merged"
  cp "$corpus"/* "$work"/ 2>/dev/null || true
  echo "== $target: $runs runs"
  # Inputs of a few KiB; the decoder's pictures within its budget.
  limit=()
  [ -z "${K3_FUZZ_SECONDS:-}" ] || limit=(-max_total_time="$K3_FUZZ_SECONDS")
  if ! "$out/${target}_fuzz" -runs="$runs" "${limit[@]}" -max_len=8192 -rss_limit_mb=1024 -print_final_stats=1 \
    "$work" >"$out/$target.log" 2>&1; then
    tail -40 "$out/$target.log"
    echo "fuzz: $target found a fault (build/fuzz/$target.log)" >&2
    exit 1
  fi
  grep -E '^(Done|stat::new_units_added|stat::peak_rss_mb)' "$out/$target.log"
  # The corpus kept: the fewest inputs that reach all that was reached.
  "$out/${target}_fuzz" -merge=1 -rss_limit_mb=1024 "$out/merged" "$work" >"$out/$target-merge.log" 2>&1
  rm -rf "$corpus"
  mv "$out/merged" "$corpus"
  echo "   corpus: $(ls "$corpus" | wc -l) inputs"
done
