#!/usr/bin/env bash
# Installs what is missing, then configures and builds into build/ (or $QUILL_BUILD_DIR).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# ccache: paths relative to the checkout, so another clone of the project reuses the same cache.
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
build="${QUILL_BUILD_DIR:-$root/build}"
bash "$root/scripts/setup.sh"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja "$@"
elif [ $# -gt 0 ]; then
  cmake "$build" "$@"
fi
cmake --build "$build" --parallel "$(nproc)"
