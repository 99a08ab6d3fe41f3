#!/usr/bin/env bash
# Installs what is missing, builds Release and starts ZELK in simulator mode on
# an example program.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
# The options are given in full: build/ may have been configured before by
# test.sh, which leaves the benchmarks out, and CMake keeps cached options.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DZELK_SANITIZE=OFF \
      -DZELK_BUILD_GUI=ON -DZELK_BUILD_TESTS=ON -DZELK_BUILD_BENCH=ON
cmake --build build -j "$(nproc)"
exec build/bin/zelk --simulator examples/leds.asm "$@"
