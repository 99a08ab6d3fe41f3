#!/usr/bin/env bash
# Installs what is missing, builds everything (Release) and runs every test;
# then builds the Qt-free core under AddressSanitizer + UBSan and runs its tests.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
jobs=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build -j "$jobs"
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs")

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZELK_SANITIZE=ON \
      -DZELK_BUILD_GUI=OFF -DZELK_BUILD_BENCH=OFF
cmake --build build-asan -j "$jobs"
(cd build-asan && ctest --output-on-failure -j "$jobs")
