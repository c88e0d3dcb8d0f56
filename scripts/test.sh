#!/usr/bin/env bash
# Sets up, builds and runs every test: the fuzz targets (reply parsing, configuration import) for a
# bounded time with a fixed seed (in build-fuzz/, with clang), then the test programs (CTest).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${QUILL_BUILD_DIR:-$root/build}"
bash "$root/scripts/build.sh"
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
cd "$build"
ctest --output-on-failure --parallel "$(nproc)" "$@"
