#!/usr/bin/env bash
# Builds everything with clang, AddressSanitizer and UndefinedBehaviorSanitizer (plus the
# coverage hooks the fuzz targets need) in build-sanitize/, and runs the test programs there.
#   scripts/sanitize.sh [ctest arguments...]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# ccache: paths relative to the checkout, so another clone of the project reuses the same cache.
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
build="${QUILL_SANITIZE_BUILD_DIR:-$root/build-sanitize}"
bash "$root/scripts/configure-sanitize.sh" "$build"
cmake --build "$build" --parallel "$(nproc)"
cd "$build"
# Qt and the system libraries keep memory to the end on purpose: leaks are not looked for.
ASAN_OPTIONS="detect_leaks=0:abort_on_error=1" UBSAN_OPTIONS="print_stacktrace=1" \
  ctest --output-on-failure --parallel "$(nproc)" "$@"
