// Frames per second through zelk-board: a write of 1..32 random bytes at a
// random RAM address and its read-back (two frames) per iteration, as the
// IDE's memory and register windows do, with the board unpaced (--baud 0)
// and at the default 38400 baud; and the longest reply, a 256-byte read, at
// 38400. items_per_second is frames per second; mismatches are counted and
// reported (10 000 iterations of the unpaced case are the round-trip check).
#include "BoardProcess.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>

using namespace zelk::test;

namespace {

void writeRead(benchmark::State& state, const char* baud)
{
    BoardProcess board({"--baud", baud});
    if (!board.started()) {
        state.SkipWithError(board.error().c_str());
        return;
    }
    BoardLine line(board.ptyPath());
    int64_t frames = 0, mismatches = 0;
    std::mt19937 rng(13);
    for (auto _ : state) {
        const auto n = uint8_t(1 + rng() % 32);
        const auto address = uint16_t(0x2000 + rng() % 0xBF00);
        std::vector<uint8_t> body{uint8_t(address >> 8), uint8_t(address), n};
        for (int i = 0; i < n; ++i)
            body.push_back(uint8_t(rng()));
        const auto ack = line.exchange(makeFrame('W', body), 1, 1000);
        const auto r = line.exchange(makeFrame('R', {body[0], body[1], n}), n + 2u, 1000);
        frames += 2;
        if (ack.size() != 1 || ack[0] != 0x06 || r.size() != n + 2u ||
            !std::equal(body.begin() + 3, body.end(), r.begin() + 1))
            ++mismatches;
    }
    state.SetItemsProcessed(frames);
    state.counters["mismatches"] = double(mismatches);
}

void BM_WriteRead_Unpaced(benchmark::State& state) { writeRead(state, "0"); }
void BM_WriteRead_38400(benchmark::State& state) { writeRead(state, "38400"); }

void BM_Read256_38400(benchmark::State& state)
{
    BoardProcess board({"--baud", "38400"});
    if (!board.started()) {
        state.SkipWithError(board.error().c_str());
        return;
    }
    BoardLine line(board.ptyPath());
    int64_t bad = 0;
    for (auto _ : state) {
        const auto r = line.exchange(makeFrame('R', {0x00, 0x00, 0x00}), 258, 1000);
        bad += r.size() != 258;
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["short_replies"] = double(bad);
}

} // namespace

BENCHMARK(BM_WriteRead_Unpaced)->UseRealTime()->Iterations(10000);
BENCHMARK(BM_WriteRead_38400)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_Read256_38400)->UseRealTime()->MinTime(2.0);
BENCHMARK_MAIN();
