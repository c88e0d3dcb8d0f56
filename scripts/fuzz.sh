#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UBSan) in the sanitizer build
# (build-sanitize/) and runs each for a bounded time with a fixed seed: the reply parsing for half
# the time, the configuration import's decrypt-and-parse path for the other half.
#   scripts/fuzz.sh [seconds]     (default 30, in all)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# ccache: paths relative to the checkout, so another clone of the project reuses the same cache.
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
build="${QUILL_SANITIZE_BUILD_DIR:-$root/build-sanitize}"
seconds="${1:-30}"
bash "$root/scripts/configure-sanitize.sh" "$build"
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
