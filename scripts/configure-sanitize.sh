#!/usr/bin/env bash
# Configures the sanitizer build (clang, ASan, UBSan, fuzz targets) in the given folder, once.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$1"
bash "$root/scripts/setup.sh" clang libclang-rt-14-dev
if [ ! -f "$build/build.ninja" ]; then
  # Line tables only: readable reports at a fraction of the cost of full debug information.
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DQUILL_FUZZ=ON -DQUILL_BUILD_BENCH=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only" \
    -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only"
fi
