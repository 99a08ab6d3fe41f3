#!/bin/bash
# Runs every libFuzzer target of tests/fuzz for a bounded time, one after the
# other: scripts/fuzz.sh [seconds per target, default 60] [target...]
#
# Configures and builds a clang tree (build-fuzz, -DZELK_FUZZ=ON: everything
# instrumented, ASan and UBSan on). Each target starts from its seed corpus
# tests/corpus/<target> (as11_source: the example programs, examples/, as in
# tests/fuzz/CMakeLists.txt) and keeps what it finds in build-fuzz/corpus/<target>;
# a crash is written to build-fuzz/artifacts/<target>/ (copy it into the seed
# corpus once it is fixed, so the test suite replays it). Not part of CI.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
if ! [[ $seconds =~ ^[0-9]+$ ]] || [ "$seconds" -eq 0 ]; then
    echo "fuzz.sh: the time per target must be a whole number of seconds above 0" >&2
    exit 2
fi
if ! command -v clang++ >/dev/null; then
    echo "fuzz.sh: clang++ is not installed (scripts/install-deps.sh)" >&2
    exit 2
fi
tree=build-fuzz
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" \
    -DZELK_FUZZ=ON -DZELK_BUILD_GUI=OFF -DZELK_BUILD_BENCH=OFF >/dev/null

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for f in tests/fuzz/fuzz_*.cpp; do
        t=$(basename "$f" .cpp)
        targets+=("${t#fuzz_}")
    done
fi

# The seed folders of a target, one a line.
seeds() {
    [ -d "tests/corpus/$1" ] && echo "tests/corpus/$1"
    [ "$1" = as11_source ] && echo examples
    return 0
}
nice cmake --build "$tree" -j2 --target "${targets[@]/#/fuzz_}"

status=0
printf '%-16s %12s %8s %s\n' target inputs corpus result
for t in "${targets[@]}"; do
    mkdir -p "$tree/corpus/$t" "$tree/artifacts/$t"
    log="$tree/fuzz-$t.log"
    mapfile -t seed < <(seeds "$t")
    if nice "$tree/bin/fuzz_$t" "$tree/corpus/$t" "${seed[@]}" \
            -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
            -print_final_stats=1 -artifact_prefix="$tree/artifacts/$t/" >"$log" 2>&1; then
        result=ok
    else
        result="CRASH (see $log)"
        status=1
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    size=$(find "$tree/corpus/$t" -type f | wc -l)
    printf '%-16s %12s %8s %s\n' "$t" "${runs:-?}" "$size" "$result"
done
exit $status
