#!/usr/bin/env bash
# Sets up, builds and runs every test: the test programs (CTest) in the normal build, then the same
# programs built with AddressSanitizer and UndefinedBehaviorSanitizer (clang, build-sanitize/), then
# the fuzz targets for a bounded time with a fixed seed in that build.
#   QUILL_SKIP_SANITIZE=1   skips the sanitizer run and the fuzz targets
#   QUILL_SKIP_FUZZ=1       skips the fuzz targets
#   QUILL_FUZZ_SECONDS=N    fuzzing time (default 15)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${QUILL_BUILD_DIR:-$root/build}"
bash "$root/scripts/build.sh"
(cd "$build" && ctest --output-on-failure --parallel "$(nproc)" "$@")
if [ "${QUILL_SKIP_SANITIZE:-0}" = "1" ]; then
  exit 0
fi
echo "== the same tests under AddressSanitizer and UndefinedBehaviorSanitizer"
bash "$root/scripts/sanitize.sh" "$@"
if [ "${QUILL_SKIP_FUZZ:-0}" != "1" ]; then
  fuzz_log="$(mktemp)"
  if bash "$root/scripts/fuzz.sh" "${QUILL_FUZZ_SECONDS:-15}" >"$fuzz_log" 2>&1; then
    echo "fuzz: $(grep -E '^Done [0-9]+ runs' "$fuzz_log" || echo 'finished')"
    rm -f "$fuzz_log"
  else
    tail -n 80 "$fuzz_log"
    echo "fuzz: FAILED (log: $fuzz_log)"
    exit 1
  fi
fi
