#!/usr/bin/env bash
# Installs what is missing, builds Release and starts ZELK in simulator mode on
# an example program.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build -j "$(nproc)"
exec build/bin/zelk --simulator examples/leds.asm "$@"
