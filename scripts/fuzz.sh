#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UBSan) in build-fuzz/ and runs
# each for a bounded time with a fixed seed: the reply parsing for half the time, the
# configuration import's decrypt-and-parse path for the other half.
#   scripts/fuzz.sh [seconds]     (default 30, in all)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${QUILL_FUZZ_BUILD_DIR:-$root/build-fuzz}"
seconds="${1:-30}"
bash "$root/scripts/setup.sh" clang libclang-rt-14-dev
if [ ! -f "$build/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DQUILL_FUZZ=ON -DQUILL_BUILD_BENCH=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" --target fuzz_replies fuzz_import --parallel "$(nproc)"
replies_seconds=$(( seconds / 2 > 0 ? seconds / 2 : 1 ))
import_seconds=$(( seconds - replies_seconds > 0 ? seconds - replies_seconds : 1 ))
cd "$build"
run() {
  local target="$1" time="$2" corpus="$build/$3"
  mkdir -p "$corpus"
  echo "== $target"
  QT_QPA_PLATFORM=offscreen "./tests/fuzz/$target" -seed=1 -max_total_time="$time" -rss_limit_mb=2048 \
    -print_final_stats=1 "$corpus" </dev/null
}
run fuzz_replies "$replies_seconds" fuzz-corpus
run fuzz_import "$import_seconds" fuzz-corpus-import
