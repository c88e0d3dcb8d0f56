#!/usr/bin/env bash
# Builds the reply-parsing fuzz target with clang (libFuzzer, AddressSanitizer, UBSan) in the
# sanitizer build (build-sanitize/) and runs it for a bounded time with a fixed seed.
#   scripts/fuzz.sh [seconds]     (default 30)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${QUILL_SANITIZE_BUILD_DIR:-$root/build-sanitize}"
seconds="${1:-30}"
bash "$root/scripts/configure-sanitize.sh" "$build"
cmake --build "$build" --target fuzz_replies --parallel "$(nproc)"
corpus="$build/fuzz-corpus"
mkdir -p "$corpus"
cd "$build"
QT_QPA_PLATFORM=offscreen ./tests/fuzz/fuzz_replies -seed=1 -max_total_time="$seconds" -rss_limit_mb=2048 \
  -print_final_stats=1 "$corpus" </dev/null
