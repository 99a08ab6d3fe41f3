#!/usr/bin/env bash
# Installs what is missing, builds everything (Release) and runs every test;
# then builds everything again under AddressSanitizer + UBSan (the Qt IDE
# and its widget tests included) and runs every test there too.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
jobs=$(nproc)

# Benchmarks are left out of both trees: ctest never runs them, and CI's
# time goes to the sanitizer tree instead. run.sh turns them on again in
# build/. Every option this script relies on is given, since CMake keeps
# what an earlier configure of the same tree (run.sh's, or by hand) cached.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DZELK_SANITIZE=OFF \
      -DZELK_BUILD_GUI=ON -DZELK_BUILD_TESTS=ON -DZELK_BUILD_BENCH=OFF
cmake --build build -j "$jobs"
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs")

# The sanitizer tree: -O0 with line tables only (-g1). Full debug info costs
# a quarter more compile time and the reports need no more than file and
# line; -O1 would run the tests faster but compiles half again as slowly,
# and the suite is compile-bound. Many tests wait on processes,
# pseudo-terminals and timers, so ctest starts twice as many as there are
# cores.
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_FLAGS_DEBUG=-g1 -DCMAKE_CXX_FLAGS_DEBUG=-g1 \
      -DZELK_SANITIZE=ON -DZELK_BUILD_GUI=ON -DZELK_BUILD_TESTS=ON -DZELK_BUILD_BENCH=OFF
cmake --build build-asan -j "$jobs"
(cd build-asan && QT_QPA_PLATFORM=offscreen UBSAN_OPTIONS=print_stacktrace=1 \
     ctest --output-on-failure -j "$((2 * jobs))")
